#pragma once

#include <QImage>

namespace besedka {

// The about box's picture: two speech bubbles over an evening sky, drawn
// here rather than shipped as a file. 179 x 132 pixels, 24 bits per pixel.
QImage aboutPicture();

} // namespace besedka

#pragma once

class QWidget;

namespace besedka {

// Moves a top-level window, frame included, to the middle of its screen. A
// window manager's frame is known only some time after the window is first
// shown: a window centred before that is centred again as soon as its frame
// is known, so that every centring puts it in the same place.
void centreOnDesktop(QWidget& window);

} // namespace besedka

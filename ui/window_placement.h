#pragma once

class QWidget;

namespace besedka {

// Moves a top-level window, frame included, to the middle of its screen.
void centreOnDesktop(QWidget& window);

} // namespace besedka

#pragma once

class QApplication;

namespace besedka {

// Loads Qt's own Russian texts (colour and font dialogs, message boxes, the
// input field's context menu). Returns false when they are not installed;
// the program then runs with Qt's English texts.
bool installRussianTranslations(QApplication& app);

} // namespace besedka

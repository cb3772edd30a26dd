#include "message_box_dialogs.h"

#include <QApplication>
#include <QMessageBox>

namespace besedka {

void MessageBoxDialogs::showError(QWidget* parent, const QString& message) {
    QMessageBox::critical(parent, QApplication::applicationName(), message);
}

} // namespace besedka

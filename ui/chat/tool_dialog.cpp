#include "chat/tool_dialog.h"

#include "chat/window_placement.h"
#include "common/design_font.h"

#include <QKeyEvent>

#include <utility>

namespace besedka {

ToolDialog::ToolDialog(const QString& caption, QSize clientSize, QWidget* parent)
    : QDialog(parent) {
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(caption);
    setAccessibleName(caption);
    setFont(designFont());
    setSizeGripEnabled(false);
    setClientSize(clientSize);
}

void ToolDialog::reject() {
    // QDialog sends its close box here; Escape never gets this far.
    closeFromFrame();
}

void ToolDialog::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->ignore(); // no button of these windows is bound to Escape
        return;
    }
    QDialog::keyPressEvent(event);
}

void ToolDialog::setClientSize(QSize size) {
    setFixedSize(size);
}

void ToolDialog::showAndActivate() {
    // A disabled owner disables its child windows too: enable this one anyway.
    setEnabled(true);
    show();
    if (!std::exchange(placed_, true)) {
        centreOnDesktop();
    }
    activateWindow();
}

void ToolDialog::centreOnDesktop() {
    besedka::centreOnDesktop(*this);
}

} // namespace besedka

#include "chat/window_menu.h"

#include <QStyleOptionMenuItem>

namespace besedka {

void WindowMenu::initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const {
    QMenu::initStyleOption(option, action);
    if (action->isSeparator()) {
        option->text.clear();
    }
}

} // namespace besedka

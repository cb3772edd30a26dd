#pragma once

#include <QMenu>

namespace besedka {

// A top-level menu of the main window. Its shortcut items are drawn as plain
// separator lines: Qt would print their shortcut on the line.
class WindowMenu final : public QMenu {
  public:
    using QMenu::QMenu;

  protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override;
};

} // namespace besedka

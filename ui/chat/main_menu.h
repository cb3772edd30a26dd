#pragma once

#include <QKeySequence>

#include <functional>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QObject;

namespace besedka {

// The main window's menu: top-level menus and submenus are QMenus, items
// QActions. Three separator lines carry the window's shortcut keys; the other
// separators are not kept.
struct MainMenu {
    QMenu* systemMenu = nullptr;
    QAction* newDialogueItem = nullptr;
    QAction* sayShortcut = nullptr;
    QAction* exitItem = nullptr;

    QMenu* settingsMenu = nullptr;
    QAction* windowColourItem = nullptr;
    QAction* paneColourItem = nullptr;
    QAction* inputColourItem = nullptr;
    QAction* buttonTextColourItem = nullptr;
    QAction* undoShortcut = nullptr;
    QMenu* lineColourMenu = nullptr;
    QAction* userColourItem = nullptr;
    QAction* replyColourItem = nullptr;
    QAction* inputTextColourItem = nullptr;
    QAction* layoutShortcut = nullptr;
    QMenu* lineFontMenu = nullptr;
    QAction* userFontItem = nullptr;
    QAction* replyFontItem = nullptr;
    QAction* inputFontItem = nullptr;
    QAction* restoreDefaultsItem = nullptr;
    QMenu* modeMenu = nullptr;
    QAction* cpuUserItem = nullptr;
    QAction* cpuCpuItem = nullptr;
    QAction* editorItem = nullptr;
    QAction* fullScreenItem = nullptr;

    QMenu* helpMenu = nullptr;
    QAction* aboutItem = nullptr;

    // The keys of the shortcut items: Say, Undo, Layout.
    std::vector<QKeySequence> windowKeys() const;
    void setTopMenusEnabled(bool enabled) const;
};

// Builds the menu into `bar`: captions, accelerators, shortcut items and
// check marks.
MainMenu buildMainMenu(QMenuBar* bar);

// Runs `handler` when the item is clicked or its shortcut pressed. Check
// marks change only through the commands: Qt's own toggling on a click is
// undone before the handler runs.
void connectItem(QObject* context, QAction* item, std::function<void()> handler = {});

} // namespace besedka

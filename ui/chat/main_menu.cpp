#include "chat/main_menu.h"

#include "chat/window_menu.h"
#include "common/colours.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>

namespace besedka {
namespace {

QAction* addItem(QMenu* menu, const char* name, const QString& caption, bool checked = false) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    if (checked) {
        item->setCheckable(true);
        item->setChecked(true);
    }
    return item;
}

// A checkable item that starts without its mark.
QAction* addUncheckedItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = addItem(menu, name, caption);
    item->setCheckable(true);
    return item;
}

// Items with the caption "-" are drawn as separator lines; three of them carry
// the window's shortcut keys.
QAction* addSeparatorItem(QMenu* menu, const char* name, const QKeySequence& shortcut = {}) {
    QAction* item = menu->addSeparator();
    item->setObjectName(QLatin1String(name));
    item->setShortcut(shortcut);
    return item;
}

QMenu* addTopMenu(QMenuBar* bar, const char* name, const QString& caption) {
    auto* menu = new WindowMenu(caption, bar);
    menu->setObjectName(QLatin1String(name));
    bar->addMenu(menu);
    return menu;
}

QMenu* addSubmenu(QMenu* menu, const char* name, const QString& caption) {
    QMenu* submenu = menu->addMenu(caption);
    submenu->setObjectName(QLatin1String(name));
    submenu->menuAction()->setObjectName(QLatin1String(name));
    return submenu;
}

} // namespace

MainMenu buildMainMenu(QMenuBar* bar) {
    bar->setNativeMenuBar(false);
    bar->setFont(QApplication::font());
    bar->setCursor(Qt::ArrowCursor);
    setOwnBackground(bar, toQColor(kSilver)); // the window colour is not the menu's
    keepDisabledTextReadable(bar);            // behind a dialog, and during the shake

    MainMenu menu;
    menu.systemMenu = addTopMenu(bar, "systemMenu", QStringLiteral("&Система"));
    menu.newDialogueItem =
        addItem(menu.systemMenu, "newDialogueItem", QStringLiteral("&Новый диалог"));
    menu.sayShortcut =
        addSeparatorItem(menu.systemMenu, "sayShortcut", QKeySequence(Qt::Key_Insert));
    menu.exitItem = addItem(menu.systemMenu, "exitItem", QStringLiteral("&Выход"));

    menu.settingsMenu = addTopMenu(bar, "settingsMenu", QStringLiteral("&Настройки"));
    menu.windowColourItem =
        addItem(menu.settingsMenu, "windowColourItem", QStringLiteral("&Цвет основного фона "));
    menu.paneColourItem = addItem(menu.settingsMenu, "paneColourItem",
                                  QStringLiteral("Ц&вет фона поля вывода реплик"));
    menu.inputColourItem = addItem(menu.settingsMenu, "inputColourItem",
                                   QStringLiteral("Цв&ет фона поля ввода реплик"));
    menu.buttonTextColourItem = addItem(menu.settingsMenu, "buttonTextColourItem",
                                        QStringLiteral("Цве&т шрифтов кнопок на панели"));
    menu.undoShortcut =
        addSeparatorItem(menu.settingsMenu, "undoShortcut", QKeySequence(Qt::CTRL | Qt::Key_Z));
    menu.lineColourMenu =
        addSubmenu(menu.settingsMenu, "lineColourMenu", QStringLiteral("Цвет &реплик"));
    menu.userColourItem = addItem(menu.lineColourMenu, "userColourItem", QStringLiteral("&User"));
    menu.replyColourItem = addItem(menu.lineColourMenu, "replyColourItem", QStringLiteral("&Cpu"));
    menu.inputTextColourItem =
        addItem(menu.lineColourMenu, "inputTextColourItem", QStringLiteral("&My string"));
    menu.layoutShortcut =
        addSeparatorItem(menu.settingsMenu, "layoutShortcut", QKeySequence(Qt::CTRL | Qt::Key_S));
    menu.lineFontMenu =
        addSubmenu(menu.settingsMenu, "lineFontMenu", QStringLiteral("&Параметры шрифта"));
    menu.userFontItem = addItem(menu.lineFontMenu, "userFontItem", QStringLiteral("&User"));
    menu.replyFontItem = addItem(menu.lineFontMenu, "replyFontItem", QStringLiteral("&Cpu"));
    menu.inputFontItem = addItem(menu.lineFontMenu, "inputFontItem", QStringLiteral("&My string"));
    addSeparatorItem(menu.settingsMenu, "fontSeparator");
    menu.restoreDefaultsItem = addItem(menu.settingsMenu, "restoreDefaultsItem",
                                       QStringLiteral("Вернуть первоначальные настройки"), true);
    addSeparatorItem(menu.settingsMenu, "defaultsSeparator");
    menu.modeMenu = addSubmenu(menu.settingsMenu, "modeMenu", QStringLiteral("&Режим"));
    menu.cpuUserItem = addItem(menu.modeMenu, "cpuUserItem", QStringLiteral("&Cpu\\User"), true);
    menu.cpuCpuItem = addUncheckedItem(menu.modeMenu, "cpuCpuItem", QStringLiteral("C&pu\\Cpu"));
    menu.editorItem = addItem(menu.settingsMenu, "editorItem", QStringLiteral("Ре&дактор"));
    addSeparatorItem(menu.settingsMenu, "editorSeparator");
    menu.fullScreenItem =
        addUncheckedItem(menu.settingsMenu, "fullScreenItem", QStringLiteral("&Full Screen"));

    menu.helpMenu = addTopMenu(bar, "helpMenu", QStringLiteral("С&правка"));
    menu.aboutItem = addItem(menu.helpMenu, "aboutItem", QStringLiteral("&О программе..."));
    return menu;
}

std::vector<QKeySequence> MainMenu::windowKeys() const {
    return {sayShortcut->shortcut(), undoShortcut->shortcut(), layoutShortcut->shortcut()};
}

void MainMenu::setTopMenusEnabled(bool enabled) const {
    for (QMenu* menu : {systemMenu, settingsMenu, helpMenu}) {
        menu->menuAction()->setEnabled(enabled);
    }
}

void connectItem(QObject* context, QAction* item, std::function<void()> handler) {
    QObject::connect(item, &QAction::triggered, context, [item, handler = std::move(handler)] {
        if (item->isCheckable()) {
            const QSignalBlocker quiet(item);
            item->setChecked(!item->isChecked());
        }
        if (handler) {
            handler();
        }
    });
}

} // namespace besedka

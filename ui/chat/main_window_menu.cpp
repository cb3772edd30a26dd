// The main menu: captions, accelerators, shortcut items and check marks.
#include "chat/main_window.h"

#include "chat/dialogue_pane.h"
#include "chat/input_field.h"
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

void MainWindow::createMenu() {
    QMenuBar* bar = menuBar();
    bar->setNativeMenuBar(false);
    bar->setFont(QApplication::font());
    bar->setCursor(Qt::ArrowCursor);
    setOwnBackground(bar, toQColor(kSilver)); // the window colour is not the menu's
    keepDisabledTextReadable(bar);            // behind a dialog, and during the shake

    systemMenu_ = addTopMenu(bar, "systemMenu", QStringLiteral("&Система"));
    newDialogueItem_ = addItem(systemMenu_, "newDialogueItem", QStringLiteral("&Новый диалог"));
    sayShortcut_ = addSeparatorItem(systemMenu_, "sayShortcut", QKeySequence(Qt::Key_Insert));
    exitItem_ = addItem(systemMenu_, "exitItem", QStringLiteral("&Выход"));

    settingsMenu_ = addTopMenu(bar, "settingsMenu", QStringLiteral("&Настройки"));
    windowColourItem_ =
        addItem(settingsMenu_, "windowColourItem", QStringLiteral("&Цвет основного фона "));
    paneColourItem_ =
        addItem(settingsMenu_, "paneColourItem", QStringLiteral("Ц&вет фона поля вывода реплик"));
    inputColourItem_ =
        addItem(settingsMenu_, "inputColourItem", QStringLiteral("Цв&ет фона поля ввода реплик"));
    buttonTextColourItem_ = addItem(settingsMenu_, "buttonTextColourItem",
                                    QStringLiteral("Цве&т шрифтов кнопок на панели"));
    undoShortcut_ =
        addSeparatorItem(settingsMenu_, "undoShortcut", QKeySequence(Qt::CTRL | Qt::Key_Z));
    lineColourMenu_ = addSubmenu(settingsMenu_, "lineColourMenu", QStringLiteral("Цвет &реплик"));
    userColourItem_ = addItem(lineColourMenu_, "userColourItem", QStringLiteral("&User"));
    replyColourItem_ = addItem(lineColourMenu_, "replyColourItem", QStringLiteral("&Cpu"));
    inputTextColourItem_ =
        addItem(lineColourMenu_, "inputTextColourItem", QStringLiteral("&My string"));
    layoutShortcut_ =
        addSeparatorItem(settingsMenu_, "layoutShortcut", QKeySequence(Qt::CTRL | Qt::Key_S));
    lineFontMenu_ = addSubmenu(settingsMenu_, "lineFontMenu", QStringLiteral("&Параметры шрифта"));
    userFontItem_ = addItem(lineFontMenu_, "userFontItem", QStringLiteral("&User"));
    replyFontItem_ = addItem(lineFontMenu_, "replyFontItem", QStringLiteral("&Cpu"));
    inputFontItem_ = addItem(lineFontMenu_, "inputFontItem", QStringLiteral("&My string"));
    fontSeparator_ = addSeparatorItem(settingsMenu_, "fontSeparator");
    restoreDefaultsItem_ = addItem(settingsMenu_, "restoreDefaultsItem",
                                   QStringLiteral("Вернуть первоначальные настройки"), true);
    defaultsSeparator_ = addSeparatorItem(settingsMenu_, "defaultsSeparator");
    modeMenu_ = addSubmenu(settingsMenu_, "modeMenu", QStringLiteral("&Режим"));
    cpuUserItem_ = addItem(modeMenu_, "cpuUserItem", QStringLiteral("&Cpu\\User"), true);
    cpuCpuItem_ = addUncheckedItem(modeMenu_, "cpuCpuItem", QStringLiteral("C&pu\\Cpu"));
    editorItem_ = addItem(settingsMenu_, "editorItem", QStringLiteral("Ре&дактор"));
    editorSeparator_ = addSeparatorItem(settingsMenu_, "editorSeparator");
    fullScreenItem_ =
        addUncheckedItem(settingsMenu_, "fullScreenItem", QStringLiteral("&Full Screen"));

    helpMenu_ = addTopMenu(bar, "helpMenu", QStringLiteral("С&правка"));
    aboutItem_ = addItem(helpMenu_, "aboutItem", QStringLiteral("&О программе..."));

    connectItem(windowColourItem_, [this] { chooseWindowColour(); });
    connectItem(paneColourItem_, [this] { choosePaneColour(); });
    connectItem(inputColourItem_, [this] { chooseInputColour(); });
    connectItem(buttonTextColourItem_, [this] { chooseButtonTextColours(); });
    connectItem(userColourItem_, [this] { chooseUserLineColour(); });
    connectItem(replyColourItem_, [this] { chooseReplyLineColour(); });
    connectItem(inputTextColourItem_, [this] { chooseInputTextColour(); });
    connectItem(userFontItem_, [this] { chooseUserLineFont(); });
    connectItem(replyFontItem_, [this] { chooseReplyLineFont(); });
    connectItem(inputFontItem_, [this] { chooseInputFont(); });
    connectItem(restoreDefaultsItem_, [this] { restoreDefaults(); });
    connectItem(cpuUserItem_, [this] { switchToCpuUser(); });
    connectItem(cpuCpuItem_, [this] { switchToCpuCpu(); });
    connectItem(editorItem_, [this] { openEditor(); });
    connectItem(fullScreenItem_, [this] { toggleFullScreen(); });
    connectItem(aboutItem_, [this] { openAbout(); });

    input_->setWindowKeys(
        {sayShortcut_->shortcut(), undoShortcut_->shortcut(), layoutShortcut_->shortcut()});
    input_->setCopyElsewhere([this] { pane_->copy(); });
}

void MainWindow::connectItem(QAction* item, std::function<void()> handler) {
    connect(item, &QAction::triggered, this, [item, handler = std::move(handler)] {
        if (item->isCheckable()) {
            const QSignalBlocker quiet(item);
            item->setChecked(!item->isChecked());
        }
        if (handler) {
            handler();
        }
    });
}

void MainWindow::setTopMenusEnabled(bool enabled) {
    for (QMenu* menu : {systemMenu_, settingsMenu_, helpMenu_}) {
        menu->menuAction()->setEnabled(enabled);
    }
}

} // namespace besedka

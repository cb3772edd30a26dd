// The main menu: captions, accelerators, shortcut items and check marks.
#include "Unit1.h"

#include "input_field.h"
#include "widget_colours.h"
#include "window_menu.h"

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

void TForm1::createMenu() {
    QMenuBar* bar = menuBar();
    bar->setNativeMenuBar(false);
    bar->setFont(QApplication::font());
    bar->setCursor(Qt::ArrowCursor);
    setOwnBackground(bar, toQColor(kSilver)); // the window colour is not the menu's
    keepDisabledTextReadable(bar);            // behind a dialog, and during the shake

    N1 = addTopMenu(bar, "N1", QStringLiteral("&Система"));
    N2 = addItem(N1, "N2", QStringLiteral("&Новый диалог"));
    N3 = addSeparatorItem(N1, "N3", QKeySequence(Qt::Key_Insert));
    N4 = addItem(N1, "N4", QStringLiteral("&Выход"));

    N5 = addTopMenu(bar, "N5", QStringLiteral("&Настройки"));
    N6 = addItem(N5, "N6", QStringLiteral("&Цвет основного фона "));
    N21 = addItem(N5, "N21", QStringLiteral("Ц&вет фона поля вывода реплик"));
    N16 = addItem(N5, "N16", QStringLiteral("Цв&ет фона поля ввода реплик"));
    N9 = addItem(N5, "N9", QStringLiteral("Цве&т шрифтов кнопок на панели"));
    N15 = addSeparatorItem(N5, "N15", QKeySequence(Qt::CTRL | Qt::Key_Z));
    N7 = addSubmenu(N5, "N7", QStringLiteral("Цвет &реплик"));
    User1 = addItem(N7, "User1", QStringLiteral("&User"));
    Cpu1 = addItem(N7, "Cpu1", QStringLiteral("&Cpu"));
    Mystring2 = addItem(N7, "Mystring2", QStringLiteral("&My string"));
    N36 = addSeparatorItem(N5, "N36", QKeySequence(Qt::CTRL | Qt::Key_S));
    N10 = addSubmenu(N5, "N10", QStringLiteral("&Параметры шрифта"));
    User2 = addItem(N10, "User2", QStringLiteral("&User"));
    Cpu2 = addItem(N10, "Cpu2", QStringLiteral("&Cpu"));
    Mystring1 = addItem(N10, "Mystring1", QStringLiteral("&My string"));
    N8 = addSeparatorItem(N5, "N8");
    N13 = addItem(N5, "N13", QStringLiteral("Вернуть первоначальные настройки"), true);
    N14 = addSeparatorItem(N5, "N14");
    N37 = addSubmenu(N5, "N37", QStringLiteral("&Режим"));
    CpuUser1 = addItem(N37, "CpuUser1", QStringLiteral("&Cpu\\User"), true);
    Cpu31 = addUncheckedItem(N37, "Cpu31", QStringLiteral("C&pu\\Cpu"));
    N38 = addItem(N5, "N38", QStringLiteral("Ре&дактор"));
    N39 = addSeparatorItem(N5, "N39");
    N40 = addUncheckedItem(N5, "N40", QStringLiteral("&Full Screen"));

    N11 = addTopMenu(bar, "N11", QStringLiteral("С&правка"));
    N12 = addItem(N11, "N12", QStringLiteral("&О программе..."));

    connectItem(N6, [this] { N6Click(); });
    connectItem(N21, [this] { N21Click(); });
    connectItem(N16, [this] { N16Click(); });
    connectItem(N9, [this] { N9Click(); });
    connectItem(User1, [this] { User1Click(); });
    connectItem(Cpu1, [this] { Cpu1Click(); });
    connectItem(Mystring2, [this] { Mystring2Click(); });
    connectItem(User2, [this] { User2Click(); });
    connectItem(Cpu2, [this] { Cpu2Click(); });
    connectItem(Mystring1, [this] { Mystring1Click(); });
    connectItem(N13, [this] { N13Click(); });
    connectItem(CpuUser1, [this] { CpuUser1Click(); });
    connectItem(Cpu31, [this] { Cpu31Click(); });
    connectItem(N38, [this] { N38Click(); });
    connectItem(N40, [this] { N40Click(); });
    connectItem(N12, [this] { N12Click(); });

    Edit1->setWindowKeys({N3->shortcut(), N15->shortcut(), N36->shortcut()});
}

void TForm1::connectItem(QAction* item, std::function<void()> handler) {
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

void TForm1::setTopMenusEnabled(bool enabled) {
    for (QMenu* menu : {N1, N5, N11}) {
        menu->menuAction()->setEnabled(enabled);
    }
}

} // namespace besedka

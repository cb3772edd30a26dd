// The editor dialog and the about box opened from the main window: the window
// takes no input while one is open and is given back by every way of closing.
#include "chat/about_box.h"
#include "chat/dialogue_pane.h"
#include "chat/editor_dialog.h"
#include "chat/input_field.h"
#include "chat/spin_edit.h"
#include "window_fixture.h"

#include <QAction>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QtTest/qtestspontaneevent.h>

namespace besedka {

using testing::aboutBoxOf;
using testing::editorOf;
using testing::fire;
using testing::part;
using testing::typeText;
using testing::WindowFixture;
using testing::WindowTest;

namespace {

// A close request as the window manager sends it for the close box.
void pressCloseBox(QWidget* window) {
    QCloseEvent event;
    QSpontaneKeyEvent::setSpontaneous(&event);
    QCoreApplication::instance()->notify(window, &event); // sendEvent would make it not spontaneous
}

} // namespace

class DialogHoldTest : public WindowTest {
    Q_OBJECT

  private slots:
    void everyWayOfClosingGivesTheWindowBack_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("route");
        QTest::newRow("editor, Хорошо") << "editor"
                                        << "ok";
        QTest::newRow("editor, Отмена") << "editor"
                                        << "cancel";
        QTest::newRow("editor, close box") << "editor"
                                           << "frame";
        QTest::newRow("about, version button") << "about"
                                               << "version";
        QTest::newRow("about, close box") << "about"
                                          << "frame";
    }

    void everyWayOfClosingGivesTheWindowBack() {
        QFETCH(QString, dialog);
        QFETCH(QString, route);
        MainWindow& window = mainWindow();
        QSignalSpy windowClosed(&window, &MainWindow::closed);
        typeText(part<InputField>(window, "input"), QStringLiteral("привет"));
        QDialog* box =
            dialog == u"editor" ? static_cast<QDialog*>(&editorOf(window)) : &aboutBoxOf(window);
        (dialog == u"editor" ? part<QAction>(window, "editorItem")
                             : part<QAction>(window, "aboutItem"))
            ->trigger();
        QVERIFY(box->isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), box);
        QVERIFY(box->isEnabled());
        QVERIFY(!window.isEnabled());
        // The state refresher rests: the self-talk mark is not followed.
        QAction* selfTalkMark = part<QAction>(window, "cpuCpuItem");
        selfTalkMark->setChecked(true);
        QTest::qWait(20);
        QVERIFY(!part<QTimer>(window, "selfTalkTimer")->isActive());
        QVERIFY(part<QTimer>(window, "idleTimer")->isActive()); // the other timers go on

        // Keys, shortcuts and the close box of the window do nothing meanwhile.
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_A);
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Insert);
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(part<InputField>(window, "input")->text(), QStringLiteral("привет"));
        QCOMPARE(part<DialoguePane>(window, "pane")->lineCount(), 0);
        pressCloseBox(&window);
        QVERIFY(window.isVisible());
        QCOMPARE(windowClosed.count(), 0);

        if (route == u"ok") {
            QTest::mouseClick(part<QPushButton>(editorOf(window), "okButton"), Qt::LeftButton);
        } else if (route == u"cancel") {
            QTest::mouseClick(part<QPushButton>(editorOf(window), "cancelButton"), Qt::LeftButton);
        } else if (route == u"version") {
            QTest::mouseClick(part<QToolButton>(aboutBoxOf(window), "versionButton"),
                              Qt::LeftButton, {}, QPoint(300, 40));
        } else {
            pressCloseBox(box);
        }
        QVERIFY(!box->isVisible());
        QVERIFY(window.isEnabled());
        QVERIFY(part<QTimer>(window, "selfTalkTimer")->isActive()); // the refresher runs again
        selfTalkMark->setChecked(false);
        QCOMPARE(windowClosed.count(), 0);
        QTRY_COMPARE(QApplication::activeWindow(), &window);
        QCOMPARE(QApplication::focusWidget(), part<InputField>(window, "input"));

        // The buttons follow the input again and the keys work.
        QVERIFY(part<QToolButton>(window, "sayButton")->isEnabled());
        part<InputField>(window, "input")->clear();
        QVERIFY(!part<QToolButton>(window, "sayButton")->isEnabled());
        typeText(part<InputField>(window, "input"), QStringLiteral("как дела"));
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Insert);
        QCOMPARE(window.engine().dialogue().transcript().size(), std::size_t(2));
    }

    // The exit command still closes the window behind a dialog, as the
    // closing animation does at its end.
    void exitBehindADialogStillCloses() {
        MainWindow& window = mainWindow();
        QSignalSpy windowClosed(&window, &MainWindow::closed);
        part<QAction>(window, "editorItem")->trigger();
        part<QAction>(window, "exitItem")->trigger();
        QCOMPARE(windowClosed.count(), 1);
    }

    void editorEditsAreInForceAndCancelKeepsThem() {
        MainWindow& window = mainWindow();
        part<QAction>(window, "editorItem")->trigger();
        QTRY_COMPARE(QApplication::activeWindow(), &editorOf(window));
        QVERIFY(part<QAction>(window, "restoreDefaultsItem")->isChecked());
        part<QLineEdit>(editorOf(window), "pathField")->selectAll();
        typeText(part<QLineEdit>(editorOf(window), "pathField"), QStringLiteral("D:\\Другой.Dat"));
        QVERIFY(!part<QAction>(window, "restoreDefaultsItem")
                     ->isChecked()); // the defaults mark goes off
        QCOMPARE(window.engine().exchangeWritePath(),
                 std::string("D:\\\xC4\xF0\xF3\xE3\xEE\xE9.Dat"));
        part<SpinEdit>(editorOf(window), "intervalField")
            ->setFocus(Qt::TabFocusReason); // selects the interval
        typeText(part<SpinEdit>(editorOf(window), "intervalField"), QStringLiteral("250"));
        QTest::mouseClick(part<QPushButton>(editorOf(window), "cancelButton"), Qt::LeftButton);

        QCOMPARE(window.engine().exchangeWritePath(),
                 std::string("D:\\\xC4\xF0\xF3\xE3\xEE\xE9.Dat"));
        part<QAction>(window, "cpuCpuItem")->trigger();
        fire(part<QTimer>(window, "selfTalkTimer"));
        QCOMPARE(part<QTimer>(window, "selfTalkTimer")->interval(), 250);
        QVERIFY(std::filesystem::exists(fixture().workdir.path("D/Другой.Dat")));
    }

    void aboutBoxUnfoldsAndReportsAMissingHistoryThroughTheWindow() {
        MainWindow& window = mainWindow();
        part<QAction>(window, "aboutItem")->trigger();
        QTRY_COMPARE(QApplication::activeWindow(), &aboutBoxOf(window));
        QCOMPARE(aboutBoxOf(window).outerHeight(), 179);
        QTest::mouseClick(part<QPushButton>(aboutBoxOf(window), "historyButton"), Qt::LeftButton);
        QCOMPARE(aboutBoxOf(window).outerHeight(), 327);
        QVERIFY(!part<QPlainTextEdit>(aboutBoxOf(window), "history")->toPlainText().isEmpty());
        part<QToolButton>(aboutBoxOf(window), "versionButton")->click();
        QVERIFY(window.isEnabled());

        part<QAction>(window, "aboutItem")->trigger(); // closed unfolded, opens folded
        QCOMPARE(aboutBoxOf(window).outerHeight(), 179);
        fixture().workdir.remove("ReadMe.Txt");
        QTest::mouseClick(part<QPushButton>(aboutBoxOf(window), "historyButton"), Qt::LeftButton);
        QCOMPARE(
            fixture().dialogs.errors,
            QStringList{QStringLiteral("Cannot open file ReadMe.Txt: No such file or directory")});
        QCOMPARE(aboutBoxOf(window).outerHeight(), 179);
        part<QToolButton>(aboutBoxOf(window), "versionButton")->click();
        QVERIFY(window.isEnabled());
    }
};

} // namespace besedka

QTEST_MAIN(besedka::DialogHoldTest)
#include "test_dialog_hold.moc"

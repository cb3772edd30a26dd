// The editor dialog and the about box opened from the main window: the window
// takes no input while one is open and is given back by every way of closing.
#include "about_box.h"
#include "dialogue_pane.h"
#include "editor_dialog.h"
#include "input_field.h"
#include "spin_edit.h"
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

using testing::typeText;
using testing::WindowFixture;

namespace {

// A close request as the window manager sends it for the close box.
void pressCloseBox(QWidget* window) {
    QCloseEvent event;
    QSpontaneKeyEvent::setSpontaneous(&event);
    QCoreApplication::instance()->notify(window, &event); // sendEvent would make it not spontaneous
}

} // namespace

class DialogHoldTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        fixture_ = std::make_unique<WindowFixture>();
        window_ = &fixture_->start();
    }

    void cleanup() {
        fixture_.reset();
        window_ = nullptr;
    }

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
        MainWindow& window = *window_;
        QSignalSpy windowClosed(&window, &MainWindow::closed);
        typeText(window.input_, QStringLiteral("привет"));
        QDialog* box =
            dialog == u"editor" ? static_cast<QDialog*>(window.editor_) : window.aboutBox_;
        (dialog == u"editor" ? window.editorItem_ : window.aboutItem_)->trigger();
        QVERIFY(box->isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), box);
        QVERIFY(box->isEnabled());
        QVERIFY(!window.isEnabled());
        QVERIFY(!window.stateRefresher_.isActive());
        QVERIFY(window.idleTimer_->isActive()); // the other timers go on

        // Keys, shortcuts and the close box of the window do nothing meanwhile.
        QTest::keyClick(window.input_, Qt::Key_A);
        QTest::keyClick(window.input_, Qt::Key_Insert);
        QTest::keyClick(window.input_, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(window.input_->text(), QStringLiteral("привет"));
        QCOMPARE(window.pane_->lineCount(), 0);
        pressCloseBox(&window);
        QVERIFY(window.isVisible());
        QCOMPARE(windowClosed.count(), 0);

        if (route == u"ok") {
            QTest::mouseClick(window.editor_->okButton_, Qt::LeftButton);
        } else if (route == u"cancel") {
            QTest::mouseClick(window.editor_->cancelButton_, Qt::LeftButton);
        } else if (route == u"version") {
            QTest::mouseClick(window.aboutBox_->versionButton_, Qt::LeftButton, {},
                              QPoint(300, 40));
        } else {
            pressCloseBox(box);
        }
        QVERIFY(!box->isVisible());
        QVERIFY(window.isEnabled());
        QVERIFY(window.stateRefresher_.isActive());
        QCOMPARE(windowClosed.count(), 0);
        QTRY_COMPARE(QApplication::activeWindow(), &window);
        QCOMPARE(QApplication::focusWidget(), window.input_);

        // The buttons follow the input again and the keys work.
        QVERIFY(window.sayButton_->isEnabled());
        window.input_->clear();
        QVERIFY(!window.sayButton_->isEnabled());
        typeText(window.input_, QStringLiteral("как дела"));
        QTest::keyClick(window.input_, Qt::Key_Insert);
        QCOMPARE(window.engine().dialogue().transcript().size(), std::size_t(2));
    }

    // The exit command still closes the window behind a dialog, as the
    // closing animation does at its end.
    void exitBehindADialogStillCloses() {
        MainWindow& window = *window_;
        QSignalSpy windowClosed(&window, &MainWindow::closed);
        window.editorItem_->trigger();
        window.exitProgram();
        QCOMPARE(windowClosed.count(), 1);
    }

    void editorEditsAreInForceAndCancelKeepsThem() {
        MainWindow& window = *window_;
        window.editorItem_->trigger();
        QTRY_COMPARE(QApplication::activeWindow(), window.editor_);
        QVERIFY(window.restoreDefaultsItem_->isChecked());
        window.editor_->pathField_->selectAll();
        typeText(window.editor_->pathField_, QStringLiteral("D:\\Другой.Dat"));
        QVERIFY(!window.restoreDefaultsItem_->isChecked()); // the defaults mark goes off
        QCOMPARE(window.engine().exchangeWritePath(),
                 std::string("D:\\\xC4\xF0\xF3\xE3\xEE\xE9.Dat"));
        window.editor_->intervalField_->setFocus(Qt::TabFocusReason); // selects the interval
        typeText(window.editor_->intervalField_, QStringLiteral("250"));
        QTest::mouseClick(window.editor_->cancelButton_, Qt::LeftButton);

        QCOMPARE(window.engine().exchangeWritePath(),
                 std::string("D:\\\xC4\xF0\xF3\xE3\xEE\xE9.Dat"));
        window.switchToCpuCpu();
        window.selfTalkTick();
        QCOMPARE(window.selfTalkTimer_->interval(), 250);
        QVERIFY(std::filesystem::exists(fixture_->workdir.path("D/Другой.Dat")));
    }

    void aboutBoxUnfoldsAndReportsAMissingHistoryThroughTheWindow() {
        MainWindow& window = *window_;
        window.aboutItem_->trigger();
        QTRY_COMPARE(QApplication::activeWindow(), window.aboutBox_);
        QCOMPARE(window.aboutBox_->outerHeight(), 179);
        QTest::mouseClick(window.aboutBox_->historyButton_, Qt::LeftButton);
        QCOMPARE(window.aboutBox_->outerHeight(), 327);
        QVERIFY(!window.aboutBox_->history_->toPlainText().isEmpty());
        window.aboutBox_->closeAbout();
        QVERIFY(window.isEnabled());

        window.aboutItem_->trigger(); // closed unfolded, opens folded
        QCOMPARE(window.aboutBox_->outerHeight(), 179);
        fixture_->workdir.remove("ReadMe.Txt");
        QTest::mouseClick(window.aboutBox_->historyButton_, Qt::LeftButton);
        QCOMPARE(fixture_->dialogs.errors,
                 QStringList{QStringLiteral("Cannot open file ReadMe.Txt")});
        QCOMPARE(window.aboutBox_->outerHeight(), 179);
        window.aboutBox_->closeAbout();
        QVERIFY(window.isEnabled());
    }

  private:
    std::unique_ptr<WindowFixture> fixture_;
    MainWindow* window_ = nullptr;
};

} // namespace besedka

QTEST_MAIN(besedka::DialogHoldTest)
#include "test_dialog_hold.moc"

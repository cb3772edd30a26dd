// The editor dialog and the about box opened from the main window: the window
// takes no input while one is open and is given back by every way of closing.
#include "Unit2.h"
#include "Unit3.h"
#include "dialogue_pane.h"
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
        form_ = &fixture_->start();
    }

    void cleanup() {
        fixture_.reset();
        form_ = nullptr;
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
        TForm1& form = *form_;
        QSignalSpy windowClosed(&form, &TForm1::closed);
        typeText(form.Edit1, QStringLiteral("привет"));
        QDialog* box = dialog == u"editor" ? static_cast<QDialog*>(form.Form2) : form.Form3;
        (dialog == u"editor" ? form.N38 : form.N12)->trigger();
        QVERIFY(box->isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), box);
        QVERIFY(box->isEnabled());
        QVERIFY(!form.isEnabled());
        QVERIFY(!form.Timer1.isActive());
        QVERIFY(form.Timer2->isActive()); // the other timers go on

        // Keys, shortcuts and the close box of the window do nothing meanwhile.
        QTest::keyClick(form.Edit1, Qt::Key_A);
        QTest::keyClick(form.Edit1, Qt::Key_Insert);
        QTest::keyClick(form.Edit1, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(form.Edit1->text(), QStringLiteral("привет"));
        QCOMPARE(form.RichEdit1->lineCount(), 0);
        pressCloseBox(&form);
        QVERIFY(form.isVisible());
        QCOMPARE(windowClosed.count(), 0);

        if (route == u"ok") {
            QTest::mouseClick(form.Form2->Button1, Qt::LeftButton);
        } else if (route == u"cancel") {
            QTest::mouseClick(form.Form2->Button2, Qt::LeftButton);
        } else if (route == u"version") {
            QTest::mouseClick(form.Form3->SpeedButton1, Qt::LeftButton, {}, QPoint(300, 40));
        } else {
            pressCloseBox(box);
        }
        QVERIFY(!box->isVisible());
        QVERIFY(form.isEnabled());
        QVERIFY(form.Timer1.isActive());
        QCOMPARE(windowClosed.count(), 0);
        QTRY_COMPARE(QApplication::activeWindow(), &form);
        QCOMPARE(QApplication::focusWidget(), form.Edit1);

        // The buttons follow the input again and the keys work.
        QVERIFY(form.SpeedButton1->isEnabled());
        form.Edit1->clear();
        QVERIFY(!form.SpeedButton1->isEnabled());
        typeText(form.Edit1, QStringLiteral("как дела"));
        QTest::keyClick(form.Edit1, Qt::Key_Insert);
        QCOMPARE(form.engine().dialogue().transcript().size(), std::size_t(2));
    }

    // The exit command still closes the window behind a dialog, as the
    // closing animation does at its end.
    void exitBehindADialogStillCloses() {
        TForm1& form = *form_;
        QSignalSpy windowClosed(&form, &TForm1::closed);
        form.N38->trigger();
        form.N4Click();
        QCOMPARE(windowClosed.count(), 1);
    }

    void editorEditsAreInForceAndCancelKeepsThem() {
        TForm1& form = *form_;
        form.N38->trigger();
        QTRY_COMPARE(QApplication::activeWindow(), form.Form2);
        QVERIFY(form.N13->isChecked());
        form.Form2->Edit1->selectAll();
        typeText(form.Form2->Edit1, QStringLiteral("D:\\Другой.Dat"));
        QVERIFY(!form.N13->isChecked()); // the defaults mark goes off
        QCOMPARE(form.engine().exchangeWritePath(),
                 std::string("D:\\\xC4\xF0\xF3\xE3\xEE\xE9.Dat"));
        form.Form2->SpinEdit1->setFocus(Qt::TabFocusReason); // selects the interval
        typeText(form.Form2->SpinEdit1, QStringLiteral("250"));
        QTest::mouseClick(form.Form2->Button2, Qt::LeftButton);

        QCOMPARE(form.engine().exchangeWritePath(),
                 std::string("D:\\\xC4\xF0\xF3\xE3\xEE\xE9.Dat"));
        form.Cpu31Click();
        form.Timer6Timer();
        QCOMPARE(form.Timer6->interval(), 250);
        QVERIFY(std::filesystem::exists(fixture_->workdir.path("D/Другой.Dat")));
    }

    void aboutBoxUnfoldsAndReportsAMissingHistoryThroughTheWindow() {
        TForm1& form = *form_;
        form.N12->trigger();
        QTRY_COMPARE(QApplication::activeWindow(), form.Form3);
        QCOMPARE(form.Form3->outerHeight(), 179);
        QTest::mouseClick(form.Form3->Button1, Qt::LeftButton);
        QCOMPARE(form.Form3->outerHeight(), 327);
        QVERIFY(!form.Form3->Memo1->toPlainText().isEmpty());
        form.Form3->SpeedButton1Click();
        QVERIFY(form.isEnabled());

        form.N12->trigger(); // closed unfolded, opens folded
        QCOMPARE(form.Form3->outerHeight(), 179);
        fixture_->workdir.remove("ReadMe.Txt");
        QTest::mouseClick(form.Form3->Button1, Qt::LeftButton);
        QCOMPARE(fixture_->dialogs.errors,
                 QStringList{QStringLiteral("Cannot open file ReadMe.Txt")});
        QCOMPARE(form.Form3->outerHeight(), 179);
        form.Form3->SpeedButton1Click();
        QVERIFY(form.isEnabled());
    }

  private:
    std::unique_ptr<WindowFixture> fixture_;
    TForm1* form_ = nullptr;
};

} // namespace besedka

QTEST_MAIN(besedka::DialogHoldTest)
#include "test_dialog_hold.moc"

// The editor dialog on its own: its fields, the random focus moves, the
// defaults mark and every way of closing it.
#include "Unit2.h"
#include "clock.h"
#include "random.h"
#include "spin_edit.h"
#include "window_fixture.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

namespace besedka {

using testing::typeText;

namespace {

constexpr std::uint32_t kClockStart = 36'000'000;

// The focus timer's draw worked out by hand from the generator's definition:
// re-seed to the clock's milliseconds, one step, the upper half of seed * 6.
int drawOneToSix(std::uint32_t milliseconds) {
    const std::uint32_t seed = milliseconds * 134775813u + 1u;
    return static_cast<int>((static_cast<std::uint64_t>(seed) * 6u) >> 32) + 1;
}

// What a screen reader reads as the widget's value.
QVariant accessibleValue(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible && accessible->valueInterface() ? accessible->valueInterface()->currentValue()
                                                      : QVariant();
}

} // namespace

class EditorDialogTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        clock_ = std::make_unique<FakeClock>(kClockStart);
        random_ = std::make_unique<Random>();
        form_ = std::make_unique<TForm2>(*random_, *clock_);
    }

    void cleanup() {
        form_.reset();
        random_.reset();
        clock_.reset();
    }

    void startsWithTheDesignValues() {
        TForm2& form = *form_;
        QVERIFY(!form.isVisible());
        QCOMPARE(form.windowTitle(), QStringLiteral("Редактор"));
        QVERIFY(form.windowFlags().testFlag(Qt::Tool));
        QCOMPARE(form.size(), QSize(305, 105));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.GroupBox1->title(), QStringLiteral("Путь файла:"));
        QCOMPARE(form.GroupBox2->title(), QStringLiteral("Интервал (сек.):"));
        QCOMPARE(form.Edit1->text(), QStringLiteral("D:\\Txt.Dat"));
        QCOMPARE(form.path(), std::string("D:\\Txt.Dat"));
        QCOMPARE(form.SpinEdit1->text(), QStringLiteral("1000"));
        QCOMPARE(form.interval(), 1000);
        QCOMPARE(form.Button1->text(), QStringLiteral("Хорошо"));
        QCOMPARE(form.Button2->text(), QStringLiteral("Отмена"));
        QCOMPARE(form.Button1->geometry(), QRect(72, 72, 75, 25));
        QCOMPARE(form.Button2->geometry(), QRect(157, 72, 75, 25));
        for (const QPushButton* button : {form.Button1, form.Button2}) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
        QCOMPARE(form.Timer1->interval(), 2000);
        QVERIFY(!form.Timer1->isActive());
    }

    void pathIsWindows1251() {
        form_->Edit1->setText(QStringLiteral("D:\\Ответ.Dat"));
        QCOMPARE(form_->path(), std::string("D:\\\xCE\xF2\xE2\xE5\xF2.Dat"));
    }

    void intervalCountsTheText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("interval");
        QTest::newRow("in range") << "250" << 250;
        QTest::newRow("lowest") << "1" << 1;
        QTest::newRow("highest") << "60000" << 60000;
        QTest::newRow("zero") << "0" << 1;
        QTest::newRow("negative") << "-5" << 1;
        QTest::newRow("above") << "60001" << 60000;
        QTest::newRow("far above int") << "99999999999" << 60000;
        QTest::newRow("plus sign") << "+7" << 7;
        QTest::newRow("empty") << "" << 1;
        QTest::newRow("lone sign") << "-" << 1;
        QTest::newRow("signs inside") << "1-2" << 1;
    }

    void intervalCountsTheText() {
        QFETCH(QString, text);
        QFETCH(int, interval);
        form_->SpinEdit1->setText(text);
        QCOMPARE(form_->SpinEdit1->text(), text); // what the user sees stays
        QCOMPARE(form_->interval(), interval);
    }

    void typingTakesDigitsAndSignsOnly() {
        open();
        form_->SpinEdit1->setFocus(Qt::TabFocusReason);
        typeText(form_->SpinEdit1, QStringLiteral("7x5-"));
        QCOMPARE(form_->SpinEdit1->text(), QStringLiteral("75-"));
        QCOMPARE(form_->interval(), 1);
    }

    void leavingTheIntervalBringsItToTheNearestBound_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::newRow("above") << "70000"
                               << "60000";
        QTest::newRow("zero") << "0"
                              << "1";
        QTest::newRow("negative") << "-12"
                                  << "1";
        QTest::newRow("in range") << "250"
                                  << "250";
        QTest::newRow("not a number stays") << "-"
                                            << "-";
        QTest::newRow("empty stays") << ""
                                     << "";
    }

    void leavingTheIntervalBringsItToTheNearestBound() {
        QFETCH(QString, typed);
        QFETCH(QString, left);
        open();
        form_->SpinEdit1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(form_->SpinEdit1, Qt::Key_Backspace); // the text was selected
        typeText(form_->SpinEdit1, typed);
        QCOMPARE(form_->SpinEdit1->text(), typed); // kept while it has the focus
        form_->Edit1->setFocus(Qt::OtherFocusReason);
        QCOMPARE(form_->SpinEdit1->text(), left);
    }

    void arrowsStepFromTheTypedNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("stepped");
        QTest::newRow("up") << "1000" << int(Qt::Key_Up) << "1001";
        QTest::newRow("down") << "1000" << int(Qt::Key_Down) << "999";
        QTest::newRow("up at the top") << "60000" << int(Qt::Key_Up) << "60000";
        QTest::newRow("down at the bottom") << "1" << int(Qt::Key_Down) << "1";
        QTest::newRow("down from above") << "70000" << int(Qt::Key_Down) << "60000";
        QTest::newRow("up from zero") << "0" << int(Qt::Key_Up) << "1";
        QTest::newRow("up from not a number") << "-" << int(Qt::Key_Up) << "2";
    }

    void arrowsStepFromTheTypedNumber() {
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(QString, stepped);
        form_->SpinEdit1->setText(text);
        QTest::keyClick(form_->SpinEdit1, static_cast<Qt::Key>(key));
        QCOMPARE(form_->SpinEdit1->text(), stepped);
    }

    void tabOrderRunsPathIntervalButtons() {
        open();
        form_->Edit1->setFocus(Qt::TabFocusReason);
        const QList<QWidget*> expected{form_->SpinEdit1, form_->Button1, form_->Button2,
                                       form_->Edit1};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(form_->focusWidget(), next);
        }
    }

    void focusTimerMovesTheFocusAtRandom() {
        open();
        bool reachedPath = false;
        bool reachedInterval = false;
        for (std::uint32_t tick = 0; tick < 24; ++tick) {
            const int r = drawOneToSix(kClockStart + tick);
            form_->Timer1Timer();
            QWidget* expected = r % 2 == 1 ? static_cast<QWidget*>(form_->Edit1) : form_->SpinEdit1;
            QCOMPARE(QApplication::focusWidget(), expected);
            reachedPath = reachedPath || expected == form_->Edit1;
            reachedInterval = reachedInterval || expected == form_->SpinEdit1;
        }
        QVERIFY(reachedPath && reachedInterval);
        QCOMPARE(clock_->reads(), 24u); // one re-seed per tick
    }

    void enteringAFieldByAMoveSelectsItsText() {
        open();
        form_->SpinEdit1->setFocus(Qt::OtherFocusReason);
        QCOMPARE(form_->SpinEdit1->findChild<QLineEdit*>()->selectedText(), QStringLiteral("1000"));
        form_->Edit1->setFocus(Qt::OtherFocusReason);
        QCOMPARE(form_->Edit1->selectedText(), QStringLiteral("D:\\Txt.Dat"));
        // Typing after the move replaces the whole path.
        typeText(form_->Edit1, QStringLiteral("E:\\Б.Txt"));
        QCOMPARE(form_->Edit1->text(), QStringLiteral("E:\\Б.Txt"));
    }

    void openingShowsEnabledCentredAndStartsTheTimer() {
        QWidget owner;
        owner.setEnabled(false); // the main window disables itself first
        TForm2 form(*random_, *clock_, &owner);
        QSignalSpy opened(&form, &TForm2::opened);
        form.openEditor();
        QCOMPARE(opened.count(), 1);
        QVERIFY(form.isVisible());
        QVERIFY(form.isEnabled());
        QVERIFY(form.Timer1->isActive());
        const QRect desktop = form.screen()->geometry();
        QVERIFY((form.frameGeometry().center() - desktop.center()).manhattanLength() <= 2);

        // Moved by the user, it comes back where it was left.
        form.move(form.pos() + QPoint(40, 30));
        const QPoint moved = form.pos();
        form.Button1Click();
        form.openEditor();
        QCOMPARE(form.pos(), moved);
        form.Button1Click();
    }

    void everyWayOfClosingClosesAlike_data() {
        QTest::addColumn<QString>("route");
        QTest::newRow("Хорошо") << "ok";
        QTest::newRow("Отмена") << "cancel";
        QTest::newRow("close box") << "frame";
    }

    void everyWayOfClosingClosesAlike() {
        QFETCH(QString, route);
        QSignalSpy closed(form_.get(), &TForm2::closed);
        open();
        if (route == u"ok") {
            QTest::mouseClick(form_->Button1, Qt::LeftButton);
        } else if (route == u"cancel") {
            QTest::mouseClick(form_->Button2, Qt::LeftButton);
        } else {
            QVERIFY(form_->close());
        }
        QCOMPARE(closed.count(), 1);
        QVERIFY(!form_->isVisible());
        QVERIFY(!form_->Timer1->isActive());

        // And it opens again as before.
        open();
        QVERIFY(form_->Timer1->isActive());
    }

    void enterAndEscapeCloseNothing() {
        QSignalSpy closed(form_.get(), &TForm2::closed);
        open();
        for (QWidget* focus :
             {static_cast<QWidget*>(form_->Edit1), static_cast<QWidget*>(form_->Button1)}) {
            focus->setFocus(Qt::TabFocusReason);
            QTest::keyClick(focus, Qt::Key_Return);
            QTest::keyClick(focus, Qt::Key_Enter);
            QTest::keyClick(focus, Qt::Key_Escape);
        }
        QCOMPARE(closed.count(), 0);
        QVERIFY(form_->isVisible());
        QVERIFY(form_->Timer1->isActive());
    }

    void cancelKeepsWhatWasTyped() {
        open();
        form_->SpinEdit1->setFocus(Qt::TabFocusReason);
        typeText(form_->SpinEdit1, QStringLiteral("250"));
        QCOMPARE(accessibleValue(form_->SpinEdit1), QVariant(250));
        QTest::keyClick(form_->SpinEdit1, Qt::Key_Backtab);
        typeText(form_->Edit1, QStringLiteral("D:\\Другой.Dat"));
        QTest::mouseClick(form_->Button2, Qt::LeftButton);
        QCOMPARE(form_->path(), std::string("D:\\\xC4\xF0\xF3\xE3\xEE\xE9.Dat"));
        QCOMPARE(form_->interval(), 250);
    }

    void editsClearTheDefaultsMarkButRestoringDoesNot() {
        QSignalSpy cleared(form_.get(), &TForm2::defaultsMarkCleared);
        open();
        form_->Edit1->setFocus(Qt::TabFocusReason);
        typeText(form_->Edit1, QStringLiteral("ab"));
        QCOMPARE(cleared.count(), 2); // each change of the text
        QTest::keyClick(form_->SpinEdit1, Qt::Key_Up);
        QCOMPARE(cleared.count(), 3);
        form_->SpinEdit1->setValue(250); // set by a command
        QCOMPARE(cleared.count(), 4);
        form_->SpinEdit1->setValue(250); // the same text is no change
        QCOMPARE(cleared.count(), 4);

        QSignalSpy pathChanges(form_->Edit1, &QLineEdit::textChanged);
        form_->restoreDefaults();
        QCOMPARE(cleared.count(), 4);
        QCOMPARE(pathChanges.count(), 1); // others still see the change
        QCOMPARE(form_->Edit1->text(), QStringLiteral("D:\\Txt.Dat"));
        QCOMPARE(form_->interval(), 1000);
        QCOMPARE(accessibleValue(form_->SpinEdit1), QVariant(1000));

        // Edits after a restore clear the mark again.
        typeText(form_->Edit1, QStringLiteral("x"));
        QCOMPARE(cleared.count(), 5);
    }

  private:
    void open() {
        form_->openEditor();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }

    std::unique_ptr<FakeClock> clock_;
    std::unique_ptr<Random> random_;
    std::unique_ptr<TForm2> form_;
};

} // namespace besedka

QTEST_MAIN(besedka::EditorDialogTest)
#include "test_editor_dialog.moc"

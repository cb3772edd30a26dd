// The editor dialog on its own: its fields, the random focus moves, the
// defaults mark and every way of closing it.
#include "clock.h"
#include "editor_dialog.h"
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
        editor_ = std::make_unique<EditorDialog>(*random_, *clock_);
    }

    void cleanup() {
        editor_.reset();
        random_.reset();
        clock_.reset();
    }

    void startsWithTheDesignValues() {
        EditorDialog& editor = *editor_;
        QVERIFY(!editor.isVisible());
        QCOMPARE(editor.windowTitle(), QStringLiteral("Редактор"));
        QVERIFY(editor.windowFlags().testFlag(Qt::Tool));
        QCOMPARE(editor.size(), QSize(305, 105));
        QCOMPARE(editor.minimumSize(), editor.maximumSize());
        QCOMPARE(editor.pathGroup_->title(), QStringLiteral("Путь файла:"));
        QCOMPARE(editor.intervalGroup_->title(), QStringLiteral("Интервал (сек.):"));
        QCOMPARE(editor.pathField_->text(), QStringLiteral("D:\\Txt.Dat"));
        QCOMPARE(editor.path(), std::string("D:\\Txt.Dat"));
        QCOMPARE(editor.intervalField_->text(), QStringLiteral("1000"));
        QCOMPARE(editor.interval(), 1000);
        QCOMPARE(editor.okButton_->text(), QStringLiteral("Хорошо"));
        QCOMPARE(editor.cancelButton_->text(), QStringLiteral("Отмена"));
        QCOMPARE(editor.okButton_->geometry(), QRect(72, 72, 75, 25));
        QCOMPARE(editor.cancelButton_->geometry(), QRect(157, 72, 75, 25));
        for (const QPushButton* button : {editor.okButton_, editor.cancelButton_}) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
        QCOMPARE(editor.focusTimer_->interval(), 2000);
        QVERIFY(!editor.focusTimer_->isActive());
    }

    void pathIsWindows1251() {
        editor_->pathField_->setText(QStringLiteral("D:\\Ответ.Dat"));
        QCOMPARE(editor_->path(), std::string("D:\\\xCE\xF2\xE2\xE5\xF2.Dat"));
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
        editor_->intervalField_->setText(text);
        QCOMPARE(editor_->intervalField_->text(), text); // what the user sees stays
        QCOMPARE(editor_->interval(), interval);
    }

    void typingTakesDigitsAndSignsOnly() {
        open();
        editor_->intervalField_->setFocus(Qt::TabFocusReason);
        typeText(editor_->intervalField_, QStringLiteral("7x5-"));
        QCOMPARE(editor_->intervalField_->text(), QStringLiteral("75-"));
        QCOMPARE(editor_->interval(), 1);
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
        editor_->intervalField_->setFocus(Qt::TabFocusReason);
        QTest::keyClick(editor_->intervalField_, Qt::Key_Backspace); // the text was selected
        typeText(editor_->intervalField_, typed);
        QCOMPARE(editor_->intervalField_->text(), typed); // kept while it has the focus
        editor_->pathField_->setFocus(Qt::OtherFocusReason);
        QCOMPARE(editor_->intervalField_->text(), left);
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
        editor_->intervalField_->setText(text);
        QTest::keyClick(editor_->intervalField_, static_cast<Qt::Key>(key));
        QCOMPARE(editor_->intervalField_->text(), stepped);
    }

    void tabOrderRunsPathIntervalButtons() {
        open();
        editor_->pathField_->setFocus(Qt::TabFocusReason);
        const QList<QWidget*> expected{editor_->intervalField_, editor_->okButton_,
                                       editor_->cancelButton_, editor_->pathField_};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(editor_->focusWidget(), next);
        }
    }

    void focusTimerMovesTheFocusAtRandom() {
        open();
        bool reachedPath = false;
        bool reachedInterval = false;
        for (std::uint32_t tick = 0; tick < 24; ++tick) {
            const int r = drawOneToSix(kClockStart + tick);
            editor_->moveFocus();
            QWidget* expected =
                r % 2 == 1 ? static_cast<QWidget*>(editor_->pathField_) : editor_->intervalField_;
            QCOMPARE(QApplication::focusWidget(), expected);
            reachedPath = reachedPath || expected == editor_->pathField_;
            reachedInterval = reachedInterval || expected == editor_->intervalField_;
        }
        QVERIFY(reachedPath && reachedInterval);
        QCOMPARE(clock_->reads(), 24u); // one re-seed per tick
    }

    void enteringAFieldByAMoveSelectsItsText() {
        open();
        editor_->intervalField_->setFocus(Qt::OtherFocusReason);
        QCOMPARE(editor_->intervalField_->findChild<QLineEdit*>()->selectedText(),
                 QStringLiteral("1000"));
        editor_->pathField_->setFocus(Qt::OtherFocusReason);
        QCOMPARE(editor_->pathField_->selectedText(), QStringLiteral("D:\\Txt.Dat"));
        // Typing after the move replaces the whole path.
        typeText(editor_->pathField_, QStringLiteral("E:\\Б.Txt"));
        QCOMPARE(editor_->pathField_->text(), QStringLiteral("E:\\Б.Txt"));
    }

    void openingShowsEnabledCentredAndStartsTheTimer() {
        QWidget owner;
        owner.setEnabled(false); // the main window disables itself first
        EditorDialog editor(*random_, *clock_, &owner);
        QSignalSpy opened(&editor, &EditorDialog::opened);
        editor.openEditor();
        QCOMPARE(opened.count(), 1);
        QVERIFY(editor.isVisible());
        QVERIFY(editor.isEnabled());
        QVERIFY(editor.focusTimer_->isActive());
        const QRect desktop = editor.screen()->geometry();
        QVERIFY((editor.frameGeometry().center() - desktop.center()).manhattanLength() <= 2);

        // Moved by the user, it comes back where it was left.
        editor.move(editor.pos() + QPoint(40, 30));
        const QPoint moved = editor.pos();
        editor.confirm();
        editor.openEditor();
        QCOMPARE(editor.pos(), moved);
        editor.confirm();
    }

    void everyWayOfClosingClosesAlike_data() {
        QTest::addColumn<QString>("route");
        QTest::newRow("Хорошо") << "ok";
        QTest::newRow("Отмена") << "cancel";
        QTest::newRow("close box") << "frame";
    }

    void everyWayOfClosingClosesAlike() {
        QFETCH(QString, route);
        QSignalSpy closed(editor_.get(), &EditorDialog::closed);
        open();
        if (route == u"ok") {
            QTest::mouseClick(editor_->okButton_, Qt::LeftButton);
        } else if (route == u"cancel") {
            QTest::mouseClick(editor_->cancelButton_, Qt::LeftButton);
        } else {
            QVERIFY(editor_->close());
        }
        QCOMPARE(closed.count(), 1);
        QVERIFY(!editor_->isVisible());
        QVERIFY(!editor_->focusTimer_->isActive());

        // And it opens again as before.
        open();
        QVERIFY(editor_->focusTimer_->isActive());
    }

    void enterAndEscapeCloseNothing() {
        QSignalSpy closed(editor_.get(), &EditorDialog::closed);
        open();
        for (QWidget* focus : {static_cast<QWidget*>(editor_->pathField_),
                               static_cast<QWidget*>(editor_->okButton_)}) {
            focus->setFocus(Qt::TabFocusReason);
            QTest::keyClick(focus, Qt::Key_Return);
            QTest::keyClick(focus, Qt::Key_Enter);
            QTest::keyClick(focus, Qt::Key_Escape);
        }
        QCOMPARE(closed.count(), 0);
        QVERIFY(editor_->isVisible());
        QVERIFY(editor_->focusTimer_->isActive());
    }

    void cancelKeepsWhatWasTyped() {
        open();
        editor_->intervalField_->setFocus(Qt::TabFocusReason);
        typeText(editor_->intervalField_, QStringLiteral("250"));
        QCOMPARE(accessibleValue(editor_->intervalField_), QVariant(250));
        QTest::keyClick(editor_->intervalField_, Qt::Key_Backtab);
        typeText(editor_->pathField_, QStringLiteral("D:\\Другой.Dat"));
        QTest::mouseClick(editor_->cancelButton_, Qt::LeftButton);
        QCOMPARE(editor_->path(), std::string("D:\\\xC4\xF0\xF3\xE3\xEE\xE9.Dat"));
        QCOMPARE(editor_->interval(), 250);
    }

    void editsClearTheDefaultsMarkButRestoringDoesNot() {
        QSignalSpy cleared(editor_.get(), &EditorDialog::defaultsMarkCleared);
        open();
        editor_->pathField_->setFocus(Qt::TabFocusReason);
        typeText(editor_->pathField_, QStringLiteral("ab"));
        QCOMPARE(cleared.count(), 2); // each change of the text
        QTest::keyClick(editor_->intervalField_, Qt::Key_Up);
        QCOMPARE(cleared.count(), 3);
        editor_->intervalField_->setValue(250); // set by a command
        QCOMPARE(cleared.count(), 4);
        editor_->intervalField_->setValue(250); // the same text is no change
        QCOMPARE(cleared.count(), 4);

        QSignalSpy pathChanges(editor_->pathField_, &QLineEdit::textChanged);
        editor_->restoreDefaults();
        QCOMPARE(cleared.count(), 4);
        QCOMPARE(pathChanges.count(), 1); // others still see the change
        QCOMPARE(editor_->pathField_->text(), QStringLiteral("D:\\Txt.Dat"));
        QCOMPARE(editor_->interval(), 1000);
        QCOMPARE(accessibleValue(editor_->intervalField_), QVariant(1000));

        // Edits after a restore clear the mark again.
        typeText(editor_->pathField_, QStringLiteral("x"));
        QCOMPARE(cleared.count(), 5);
    }

  private:
    void open() {
        editor_->openEditor();
        QVERIFY(QTest::qWaitForWindowActive(editor_.get()));
    }

    std::unique_ptr<FakeClock> clock_;
    std::unique_ptr<Random> random_;
    std::unique_ptr<EditorDialog> editor_;
};

} // namespace besedka

QTEST_MAIN(besedka::EditorDialogTest)
#include "test_editor_dialog.moc"

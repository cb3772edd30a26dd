// The editor dialog on its own: its fields, the random focus moves, the
// defaults mark and every way of closing it.
#include "chat/editor_dialog.h"
#include "chat/spin_edit.h"
#include "talk/clock.h"
#include "talk/random.h"
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

using testing::fire;
using testing::part;
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
        QCOMPARE(part<QGroupBox>(editor, "pathGroup")->title(), QStringLiteral("Путь файла:"));
        QCOMPARE(part<QGroupBox>(editor, "intervalGroup")->title(),
                 QStringLiteral("Интервал (сек.):"));
        QCOMPARE(part<QLineEdit>(editor, "pathField")->text(), QStringLiteral("D:\\Txt.Dat"));
        QCOMPARE(editor.path(), std::string("D:\\Txt.Dat"));
        QCOMPARE(part<SpinEdit>(editor, "intervalField")->text(), QStringLiteral("1000"));
        QCOMPARE(editor.interval(), 1000);
        QCOMPARE(part<QPushButton>(editor, "okButton")->text(), QStringLiteral("Хорошо"));
        QCOMPARE(part<QPushButton>(editor, "cancelButton")->text(), QStringLiteral("Отмена"));
        QCOMPARE(part<QPushButton>(editor, "okButton")->geometry(), QRect(72, 72, 75, 25));
        QCOMPARE(part<QPushButton>(editor, "cancelButton")->geometry(), QRect(157, 72, 75, 25));
        for (const QPushButton* button :
             {part<QPushButton>(editor, "okButton"), part<QPushButton>(editor, "cancelButton")}) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
        QCOMPARE(part<QTimer>(editor, "focusTimer")->interval(), 2000);
        QVERIFY(!part<QTimer>(editor, "focusTimer")->isActive());
    }

    void pathIsWindows1251() {
        part<QLineEdit>(*editor_, "pathField")->setText(QStringLiteral("D:\\Ответ.Dat"));
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
        part<SpinEdit>(*editor_, "intervalField")->setText(text);
        QCOMPARE(part<SpinEdit>(*editor_, "intervalField")->text(),
                 text); // what the user sees stays
        QCOMPARE(editor_->interval(), interval);
    }

    void typingTakesDigitsAndSignsOnly() {
        open();
        part<SpinEdit>(*editor_, "intervalField")->setFocus(Qt::TabFocusReason);
        typeText(part<SpinEdit>(*editor_, "intervalField"), QStringLiteral("7x5-"));
        QCOMPARE(part<SpinEdit>(*editor_, "intervalField")->text(), QStringLiteral("75-"));
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
        part<SpinEdit>(*editor_, "intervalField")->setFocus(Qt::TabFocusReason);
        QTest::keyClick(part<SpinEdit>(*editor_, "intervalField"),
                        Qt::Key_Backspace); // the text was selected
        typeText(part<SpinEdit>(*editor_, "intervalField"), typed);
        QCOMPARE(part<SpinEdit>(*editor_, "intervalField")->text(),
                 typed); // kept while it has the focus
        part<QLineEdit>(*editor_, "pathField")->setFocus(Qt::OtherFocusReason);
        QCOMPARE(part<SpinEdit>(*editor_, "intervalField")->text(), left);
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
        part<SpinEdit>(*editor_, "intervalField")->setText(text);
        QTest::keyClick(part<SpinEdit>(*editor_, "intervalField"), static_cast<Qt::Key>(key));
        QCOMPARE(part<SpinEdit>(*editor_, "intervalField")->text(), stepped);
    }

    void tabOrderRunsPathIntervalButtons() {
        open();
        part<QLineEdit>(*editor_, "pathField")->setFocus(Qt::TabFocusReason);
        const QList<QWidget*> expected{
            part<SpinEdit>(*editor_, "intervalField"), part<QPushButton>(*editor_, "okButton"),
            part<QPushButton>(*editor_, "cancelButton"), part<QLineEdit>(*editor_, "pathField")};
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
            fire(part<QTimer>(*editor_, "focusTimer"));
            QWidget* expected = r % 2 == 1
                                    ? static_cast<QWidget*>(part<QLineEdit>(*editor_, "pathField"))
                                    : part<SpinEdit>(*editor_, "intervalField");
            QCOMPARE(QApplication::focusWidget(), expected);
            reachedPath = reachedPath || expected == part<QLineEdit>(*editor_, "pathField");
            reachedInterval =
                reachedInterval || expected == part<SpinEdit>(*editor_, "intervalField");
        }
        QVERIFY(reachedPath && reachedInterval);
        QCOMPARE(clock_->reads(), 24u); // one re-seed per tick
    }

    void enteringAFieldByAMoveSelectsItsText() {
        open();
        part<SpinEdit>(*editor_, "intervalField")->setFocus(Qt::OtherFocusReason);
        QCOMPARE(part<SpinEdit>(*editor_, "intervalField")->findChild<QLineEdit*>()->selectedText(),
                 QStringLiteral("1000"));
        part<QLineEdit>(*editor_, "pathField")->setFocus(Qt::OtherFocusReason);
        QCOMPARE(part<QLineEdit>(*editor_, "pathField")->selectedText(),
                 QStringLiteral("D:\\Txt.Dat"));
        // Typing after the move replaces the whole path.
        typeText(part<QLineEdit>(*editor_, "pathField"), QStringLiteral("E:\\Б.Txt"));
        QCOMPARE(part<QLineEdit>(*editor_, "pathField")->text(), QStringLiteral("E:\\Б.Txt"));
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
        QVERIFY(part<QTimer>(editor, "focusTimer")->isActive());
        const QRect desktop = editor.screen()->geometry();
        QVERIFY((editor.frameGeometry().center() - desktop.center()).manhattanLength() <= 2);

        // Moved by the user, it comes back where it was left.
        editor.move(editor.pos() + QPoint(40, 30));
        const QPoint moved = editor.pos();
        part<QPushButton>(editor, "okButton")->click();
        editor.openEditor();
        QCOMPARE(editor.pos(), moved);
        part<QPushButton>(editor, "okButton")->click();
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
            QTest::mouseClick(part<QPushButton>(*editor_, "okButton"), Qt::LeftButton);
        } else if (route == u"cancel") {
            QTest::mouseClick(part<QPushButton>(*editor_, "cancelButton"), Qt::LeftButton);
        } else {
            QVERIFY(editor_->close());
        }
        QCOMPARE(closed.count(), 1);
        QVERIFY(!editor_->isVisible());
        QVERIFY(!part<QTimer>(*editor_, "focusTimer")->isActive());

        // And it opens again as before.
        open();
        QVERIFY(part<QTimer>(*editor_, "focusTimer")->isActive());
    }

    void enterAndEscapeCloseNothing() {
        QSignalSpy closed(editor_.get(), &EditorDialog::closed);
        open();
        for (QWidget* focus : {static_cast<QWidget*>(part<QLineEdit>(*editor_, "pathField")),
                               static_cast<QWidget*>(part<QPushButton>(*editor_, "okButton"))}) {
            focus->setFocus(Qt::TabFocusReason);
            QTest::keyClick(focus, Qt::Key_Return);
            QTest::keyClick(focus, Qt::Key_Enter);
            QTest::keyClick(focus, Qt::Key_Escape);
        }
        QCOMPARE(closed.count(), 0);
        QVERIFY(editor_->isVisible());
        QVERIFY(part<QTimer>(*editor_, "focusTimer")->isActive());
    }

    void cancelKeepsWhatWasTyped() {
        open();
        part<SpinEdit>(*editor_, "intervalField")->setFocus(Qt::TabFocusReason);
        typeText(part<SpinEdit>(*editor_, "intervalField"), QStringLiteral("250"));
        QCOMPARE(accessibleValue(part<SpinEdit>(*editor_, "intervalField")), QVariant(250));
        QTest::keyClick(part<SpinEdit>(*editor_, "intervalField"), Qt::Key_Backtab);
        typeText(part<QLineEdit>(*editor_, "pathField"), QStringLiteral("D:\\Другой.Dat"));
        QTest::mouseClick(part<QPushButton>(*editor_, "cancelButton"), Qt::LeftButton);
        QCOMPARE(editor_->path(), std::string("D:\\\xC4\xF0\xF3\xE3\xEE\xE9.Dat"));
        QCOMPARE(editor_->interval(), 250);
    }

    void editsClearTheDefaultsMarkButRestoringDoesNot() {
        QSignalSpy cleared(editor_.get(), &EditorDialog::defaultsMarkCleared);
        open();
        part<QLineEdit>(*editor_, "pathField")->setFocus(Qt::TabFocusReason);
        typeText(part<QLineEdit>(*editor_, "pathField"), QStringLiteral("ab"));
        QCOMPARE(cleared.count(), 2); // each change of the text
        QTest::keyClick(part<SpinEdit>(*editor_, "intervalField"), Qt::Key_Up);
        QCOMPARE(cleared.count(), 3);
        part<SpinEdit>(*editor_, "intervalField")->setValue(250); // set by a command
        QCOMPARE(cleared.count(), 4);
        part<SpinEdit>(*editor_, "intervalField")->setValue(250); // the same text is no change
        QCOMPARE(cleared.count(), 4);

        QSignalSpy pathChanges(part<QLineEdit>(*editor_, "pathField"), &QLineEdit::textChanged);
        editor_->restoreDefaults();
        QCOMPARE(cleared.count(), 4);
        QCOMPARE(pathChanges.count(), 1); // others still see the change
        QCOMPARE(part<QLineEdit>(*editor_, "pathField")->text(), QStringLiteral("D:\\Txt.Dat"));
        QCOMPARE(editor_->interval(), 1000);
        QCOMPARE(accessibleValue(part<SpinEdit>(*editor_, "intervalField")), QVariant(1000));

        // Edits after a restore clear the mark again.
        typeText(part<QLineEdit>(*editor_, "pathField"), QStringLiteral("x"));
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

// The main window driven through its keys, buttons and menu items.
#include "chat/dialogue_pane.h"
#include "chat/input_field.h"
#include "chat/input_layout.h"
#include "common/qt_text.h"
#include "files/kb_paths.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace besedka {

using testing::editorOf;
using testing::part;
using testing::typeText;
using testing::WindowFixture;
using testing::WindowTest;

namespace {

QStringList transcript(MainWindow& window) {
    QStringList lines;
    for (const auto& line : window.engine().dialogue().transcript()) {
        lines.append(toQString(line));
    }
    return lines;
}

// Types a phrase and sends it with the Insert key.
void say(MainWindow& window, const QString& phrase) {
    typeText(part<InputField>(window, "input"), phrase);
    QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Insert);
}

} // namespace

class MainWindowTest : public WindowTest {
    Q_OBJECT

  private slots:
    void startsInTheDesignState() {
        MainWindow& window = mainWindow();
        QCOMPARE(window.windowTitle(), QStringLiteral("Разработчик: Halden. v1.926"));
        QVERIFY(window.windowFlags().testFlag(Qt::Tool));
        QCOMPARE(window.centralWidget()->height() + window.statusBar()->height(), 361);
        QCOMPARE(window.width(), 587);
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QCOMPARE(part<DialoguePane>(window, "pane")->geometry(), QRect(3, 5, 581, 305));
        QCOMPARE(part<InputField>(window, "input")->geometry(), QRect(3, 5, 422, 21));
        QCOMPARE(part<QToolButton>(window, "sayButton")->mapTo(&window, QPoint()) -
                     part<InputField>(window, "input")->mapTo(&window, QPoint()),
                 QPoint(493, 0));
        QCOMPARE(part<InputField>(window, "input")->maxLength(), 255);

        for (QToolButton* button :
             {part<QToolButton>(window, "sayButton"), part<QToolButton>(window, "undoButton"),
              part<QToolButton>(window, "layoutButton")}) {
            QVERIFY(!button->isEnabled());
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        }
        QCOMPARE(window.focusWidget(), part<InputField>(window, "input"));
        QVERIFY(!part<QAction>(window, "sayShortcut")->isEnabled());
        QVERIFY(!part<QAction>(window, "undoShortcut")->isEnabled());
        QVERIFY(part<QAction>(window, "layoutShortcut")->isEnabled());
        QVERIFY(part<QAction>(window, "sayShortcut")->isSeparator() &&
                part<QAction>(window, "undoShortcut")->isSeparator() &&
                part<QAction>(window, "layoutShortcut")->isSeparator());
        // Drawn as plain lines, without their shortcut texts.
        const int line = part<QMenu>(window, "settingsMenu")
                             ->actionGeometry(part<QAction>(window, "fontSeparator"))
                             .height();
        QCOMPARE(part<QMenu>(window, "settingsMenu")
                     ->actionGeometry(part<QAction>(window, "undoShortcut"))
                     .height(),
                 line);
        QCOMPARE(part<QMenu>(window, "settingsMenu")
                     ->actionGeometry(part<QAction>(window, "layoutShortcut"))
                     .height(),
                 line);
        QVERIFY(part<QAction>(window, "restoreDefaultsItem")->isChecked());
        QVERIFY(part<QAction>(window, "cpuUserItem")->isChecked());
        QVERIFY(!part<QAction>(window, "cpuCpuItem")->isChecked());
        QVERIFY(!part<QAction>(window, "fullScreenItem")->isChecked());
        QCOMPARE(part<QAction>(window, "fullScreenItem")->text(), QStringLiteral("&Full Screen"));
        QCOMPARE(part<QAction>(window, "windowColourItem")->text(),
                 QStringLiteral("&Цвет основного фона "));

        const long learned = static_cast<long>(fixture().fileLines(paths::kWords).size()) - 1;
        QCOMPARE(window.statusText(0), QStringLiteral("Загрузка окончена"));
        QCOMPARE(window.statusText(1),
                 QStringLiteral("Загружено фраз выученных программой: %1").arg(learned));
        QCOMPARE(window.statusText(2), QStringLiteral("Режим Cpu\\User"));
        QVERIFY(!part<InputField>(window, "input")->isReadOnly());
        QCOMPARE(fixture().sound.count(Cue::Shake), 1); // the shake at start
        QVERIFY(fixture().dialogs.errors.isEmpty());
    }

    void typingEnablesTheButtonsAndPlaysTheKeyboardCue() {
        MainWindow& window = mainWindow();
        typeText(part<InputField>(window, "input"), QStringLiteral("д"));
        QVERIFY(part<QToolButton>(window, "sayButton")->isEnabled());
        QVERIFY(part<QToolButton>(window, "layoutButton")->isEnabled());
        QVERIFY(part<QAction>(window, "sayShortcut")->isEnabled());
        QVERIFY(!part<QToolButton>(window, "undoButton")->isEnabled());
        QCOMPARE(fixture().sound.count(Cue::KeyBoard), 1);

        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Backspace);
        QVERIFY(!part<QToolButton>(window, "sayButton")->isEnabled());
        QVERIFY(!part<QToolButton>(window, "layoutButton")->isEnabled());
        QVERIFY(!part<QAction>(window, "sayShortcut")->isEnabled());
        QCOMPARE(fixture().sound.count(Cue::KeyBoard), 2);

        part<InputField>(window, "input")->setText(QString()); // no change: no cue
        QCOMPARE(fixture().sound.count(Cue::KeyBoard), 2);
    }

    void enterSendsNothingAndInsertSends() {
        MainWindow& window = mainWindow();
        typeText(part<InputField>(window, "input"), QStringLiteral("привет"));
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Return);
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Enter);
        QCOMPARE(part<DialoguePane>(window, "pane")->lineCount(), 0);
        QCOMPARE(part<InputField>(window, "input")->text(), QStringLiteral("привет"));

        fixture().sound.played.clear();
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Insert);
        QCOMPARE(part<DialoguePane>(window, "pane")->lineCount(), 2);
        QCOMPARE(part<DialoguePane>(window, "pane")->lineText(0), QStringLiteral("Привет."));
        const QString reply = toQString(window.engine().state().replyText);
        QCOMPARE(part<DialoguePane>(window, "pane")->lineText(1), reply);
        QCOMPARE(transcript(window), (QStringList{QStringLiteral("USER:     Привет."),
                                                  QStringLiteral("CPU:     ") + reply}));
        QVERIFY(part<InputField>(window, "input")->text().isEmpty());
        QCOMPARE(fixture().sound.played,
                 (std::vector<Cue>{Cue::UserLine, Cue::Reply, Cue::KeyBoard}));
        QVERIFY(part<QToolButton>(window, "undoButton")->isEnabled());
        QVERIFY(part<QAction>(window, "undoShortcut")->isEnabled());
        QVERIFY(!part<QToolButton>(window, "sayButton")->isEnabled());
    }

    void insertWithAnEmptyFieldDoesNothing() {
        QTest::keyClick(part<InputField>(mainWindow(), "input"), Qt::Key_Insert);
        QCOMPARE(mainWindow().engine().dialogue().paneCount(), 0u);
        QCOMPARE(fixture().sound.count(Cue::UserLine), 0);
    }

    void shortcutNeedsItsTopLevelMenu() {
        MainWindow& window = mainWindow();
        typeText(part<InputField>(window, "input"), QStringLiteral("привет"));
        part<QMenu>(window, "systemMenu")->menuAction()->setEnabled(false);
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Insert);
        QCOMPARE(window.engine().dialogue().paneCount(), 0u);
        part<QMenu>(window, "systemMenu")->menuAction()->setEnabled(true);
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Insert);
        QCOMPARE(window.engine().dialogue().paneCount(), 2u);
    }

    void ctrlZUndoesTheLastLineOfPaneAndTranscript() {
        MainWindow& window = mainWindow();
        say(window, QStringLiteral("привет"));
        say(window, QStringLiteral("как дела?"));
        const int lines = part<DialoguePane>(window, "pane")->lineCount();
        QVERIFY(lines >= 4);
        const QString lineBefore =
            toQString(window.engine().dialogue().paneLine(static_cast<std::size_t>(lines - 2)));
        const QStringList before = transcript(window);
        QCOMPARE(before.size(), 4);
        const int shakes = fixture().sound.count(Cue::Shake);

        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(part<DialoguePane>(window, "pane")->lineCount(), lines - 1);
        QCOMPARE(window.engine().dialogue().paneCount(), static_cast<std::size_t>(lines - 1));
        QCOMPARE(part<DialoguePane>(window, "pane")->lineText(lines - 2), lineBefore);
        QCOMPARE(transcript(window), before.mid(0, 3));
        QVERIFY(part<QTimer>(window, "shakeTimer")->isActive());
        QTRY_VERIFY(!part<QTimer>(window, "shakeTimer")->isActive());
        QCOMPARE(fixture().sound.count(Cue::Shake), shakes + 1);
    }

    // With an empty pane Ctrl+Z does nothing: neither the command nor the
    // field's own undo.
    void ctrlZWithAnEmptyPaneDoesNothing() {
        MainWindow& window = mainWindow();
        typeText(part<InputField>(window, "input"), QStringLiteral("abc"));
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(part<InputField>(window, "input")->text(), QStringLiteral("abc"));
        QVERIFY(!part<QTimer>(window, "shakeTimer")->isActive());
    }

    void ctrlSRunsThroughItsItemEvenWithAnEmptyField() {
        MainWindow& window = mainWindow();
        QVERIFY(!part<QToolButton>(window, "layoutButton")->isEnabled());
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fixture().sound.count(Cue::Layout), 1);
        QVERIFY(part<InputField>(window, "input")->text().isEmpty());
        QCOMPARE(fixture().sound.count(Cue::KeyBoard), 0);
    }

    // Ctrl+C copies the input field's selection, else the pane's: the focus
    // always comes back to the input field.
    void ctrlCCopiesTheInputsElseThePanesSelection() {
        MainWindow& window = mainWindow();
        say(window, QStringLiteral("привет"));
        part<DialoguePane>(window, "pane")->selectAll();
        typeText(part<InputField>(window, "input"), QStringLiteral("abc"));
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 part<DialoguePane>(window, "pane")->toPlainText());
        part<InputField>(window, "input")->selectAll();
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("abc"));
    }

    // Pasted text keeps its first line and no control characters, as a
    // one-line field holds it; what was around the cursor stays.
    void pasteKeepsTheFirstLineOfTheClipboard() {
        MainWindow& window = mainWindow();
        InputField* input = part<InputField>(window, "input");
        typeText(input, QStringLiteral("ab"));
        QTest::keyClick(input, Qt::Key_Left);
        QGuiApplication::clipboard()->setText(QStringLiteral("\x02при\x01вет\r\nвторая\nтретья"));
        QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(input->text(), QStringLiteral("aприветb"));
        QCOMPARE(input->cursorPosition(), 7);
        QTest::keyClick(input, Qt::Key_Insert);
        QCOMPARE(window.engine().dialogue().paneCount(), 2u);
    }

    void paneShowsTheNewestLineAfterEitherLayout() {
        MainWindow& window = mainWindow();
        for (int i = 0; i < 60; ++i) {
            window.engine().dialogue().appendToPane("line");
        }
        const QScrollBar* bar = part<DialoguePane>(window, "pane")->verticalScrollBar();
        for (int layout = 0; layout < 2; ++layout) {
            part<QAction>(window, "fullScreenItem")->trigger();
            QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
        }
    }

    // Every caption, label and status text fits its fixed size in the face
    // shown for "MS Sans Serif", a learned-phrase count of 7 digits included.
    void fixedTextsFitTheirControls() {
        MainWindow& window = mainWindow();
        const auto panels = part<QStatusBar>(window, "statusBar")->findChildren<QLabel*>();
        panels.at(0)->setText(QStringLiteral("Идёт загрузка подождите..."));
        panels.at(1)->setText(QStringLiteral("Загружено фраз выученных программой: 9999999"));
        const auto fits = [](const QWidget* control, const QString& text, int room) {
            int widest = 0;
            for (const QString& line : QString(text).remove(QLatin1Char('&')).split(u'\n')) {
                widest = std::max(widest, control->fontMetrics().horizontalAdvance(line));
            }
            return widest <= room;
        };
        int checked = 0;
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            if (!label->text().isEmpty() && !label->wordWrap()) {
                QVERIFY2(fits(label, label->text(), label->contentsRect().width()),
                         qPrintable(label->text()));
                ++checked;
            }
        }
        for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
            QVERIFY2(fits(button, button->text(), button->width() - 6), qPrintable(button->text()));
            ++checked;
        }
        for (const QGroupBox* group : window.findChildren<QGroupBox*>()) {
            QStyleOptionGroupBox option;
            option.initFrom(group);
            option.text = group->title();
            option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
            const QRect label = group->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                               QStyle::SC_GroupBoxLabel, group);
            QVERIFY2(fits(group, group->title(), group->width() - 2 - label.left()),
                     qPrintable(group->title()));
            ++checked;
        }
        QVERIFY(checked >= 10); // status panels, buttons, the editor's and the about box's
    }

    void guardClearsReservedCharactersAndDisablesThePane_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("caret at the end") << QStringLiteral("привет^");
        QTest::newRow("underscore first") << QStringLiteral("_abc");
        QTest::newRow("semicolon inside") << QStringLiteral("a;b");
    }

    void guardClearsReservedCharactersAndDisablesThePane() {
        QFETCH(QString, typed);
        MainWindow& window = mainWindow();
        // A longer text sent first leaves the scan position behind.
        say(window, QStringLiteral("длинная фраза без запретных знаков"));
        QVERIFY(part<DialoguePane>(window, "pane")->isEnabled());

        part<InputField>(window, "input")->setText(typed);
        QVERIFY(part<InputField>(window, "input")->text().isEmpty());
        QVERIFY(!part<DialoguePane>(window, "pane")->isEnabled());

        // The disabled pane still receives lines.
        say(window, QStringLiteral("ещё"));
        QCOMPARE(part<DialoguePane>(window, "pane")->lineCount(), 4);
        QVERIFY(!part<DialoguePane>(window, "pane")->isEnabled());
    }

    void newDialogueEmptiesPaneTranscriptAndInputButKeepsTheState() {
        MainWindow& window = mainWindow();
        say(window, QStringLiteral("привет"));
        typeText(part<InputField>(window, "input"), QStringLiteral("недописано"));
        const EngineState before = window.engine().state();
        QVERIFY(!before.lastReplyText.empty());

        part<QAction>(window, "newDialogueItem")->trigger();
        QCOMPARE(part<DialoguePane>(window, "pane")->lineCount(), 0);
        QVERIFY(part<DialoguePane>(window, "pane")->document()->isEmpty());
        QVERIFY(window.engine().dialogue().transcript().empty());
        QVERIFY(part<InputField>(window, "input")->text().isEmpty());
        QCOMPARE(window.engine().state().lastReplyText, before.lastReplyText);
        QCOMPARE(window.engine().state().lastReplyKey, before.lastReplyKey);
        QCOMPARE(window.engine().state().branchLevel, before.branchLevel);
        QCOMPARE(window.engine().state().idleTicks, before.idleTicks);
        QVERIFY(!part<QToolButton>(window, "undoButton")->isEnabled());
        QTRY_VERIFY(!part<QTimer>(window, "shakeTimer")->isActive());
        QCOMPARE(fixture().sound.count(Cue::Shake), 2);
    }

    void closeBoxEndsWithoutALog() {
        MainWindow& window = mainWindow();
        say(window, QStringLiteral("привет"));
        QSignalSpy closed(&window, &MainWindow::closed);
        QVERIFY(window.close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(fixture().fileLines(paths::kLog).empty());
    }

    // While another program holds Base, phrases wait for the lock in their
    // order: the same phrase sent again waits once, and what is typed
    // meanwhile stays in the field.
    void phrasesWaitForTheLockInTheirOrder() {
        MainWindow& window = mainWindow();
        auto* input = part<InputField>(window, "input");
        const int holder = ::open(fixture().workdir.path("Base").c_str(), O_RDONLY | O_DIRECTORY);
        QCOMPARE(::flock(holder, LOCK_EX), 0);
        say(window, QStringLiteral("привет"));
        QTest::keyClick(input, Qt::Key_Insert);
        input->selectAll();
        say(window, QStringLiteral("погода"));
        input->selectAll();
        typeText(input, QStringLiteral("дождь"));
        QCOMPARE(window.engine().dialogue().paneCount(), 0u);
        ::close(holder);
        testing::fire(part<QTimer>(window, "lockRetryTimer"));
        const QStringList lines = transcript(window);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[0], QStringLiteral("USER:     Привет."));
        QCOMPARE(lines[2], QStringLiteral("USER:     Погода."));
        QCOMPARE(input->text(), QStringLiteral("дождь"));
    }

    // A click on a checkable item changes its mark only through its command.
    void checkMarksChangeOnlyThroughCommands() {
        MainWindow& window = mainWindow();
        part<QAction>(window, "cpuCpuItem")->trigger();
        part<QAction>(window, "cpuCpuItem")->trigger();
        QVERIFY(part<QAction>(window, "cpuCpuItem")->isChecked());
        QVERIFY(!part<QAction>(window, "cpuUserItem")->isChecked());
        part<QAction>(window, "cpuUserItem")->trigger();
        QVERIFY(part<QAction>(window, "cpuUserItem")->isChecked());
        QVERIFY(!part<QAction>(window, "cpuCpuItem")->isChecked());
        part<QAction>(window, "restoreDefaultsItem")->trigger(); // restores, and the mark stays on
        QVERIFY(part<QAction>(window, "restoreDefaultsItem")->isChecked());
    }

    // The table itself is the engine's (test_layout_conversion); here, that
    // Ctrl+S puts it to work on the field.
    void layoutConversionConvertsTheInput() {
        MainWindow& window = mainWindow();
        typeText(part<InputField>(window, "input"), QStringLiteral("Ghbdtn vjq"));
        fixture().sound.played.clear();
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(part<InputField>(window, "input")->text(), QStringLiteral("Привет мой"));
        // The conversion cue first, then the keyboard cue of the changed text.
        QCOMPARE(fixture().sound.played, (std::vector<Cue>{Cue::Layout, Cue::KeyBoard}));
    }

    // Converting again goes on from the converted text: @ gives the double
    // quote and then Э, the vertical bar the slash and then the full stop.
    void layoutConversionIsNotIdempotentForSomeSigns() {
        MainWindow& window = mainWindow();
        typeText(part<InputField>(window, "input"), QStringLiteral("@|"));
        QVERIFY(part<QToolButton>(window, "layoutButton")->isEnabled());
        QTest::mouseClick(part<QToolButton>(window, "layoutButton"), Qt::LeftButton);
        QCOMPARE(part<InputField>(window, "input")->text(), QStringLiteral("\"/"));
        QTest::mouseClick(part<QToolButton>(window, "layoutButton"), Qt::LeftButton);
        QCOMPARE(part<InputField>(window, "input")->text(), QStringLiteral("Э."));
        QCOMPARE(fixture().sound.count(Cue::Layout), 2);
    }

    // The dollar sign becomes the reserved semicolon, which the guard clears.
    void layoutConversionCanProduceAReservedCharacter() {
        MainWindow& window = mainWindow();
        typeText(part<InputField>(window, "input"), QStringLiteral("a$"));
        QCOMPARE(part<InputField>(window, "input")->text(), QStringLiteral("a$"));
        part<QAction>(window, "layoutShortcut")->trigger();
        QVERIFY(part<InputField>(window, "input")->text().isEmpty());
        QVERIFY(!part<DialoguePane>(window, "pane")->isEnabled());
    }

    // The reserved signs cannot stay in the field, so their conversion is
    // checked on the text itself; characters outside the Latin layout, those
    // Windows-1251 lacks included, come through untouched.
    void inputLayoutConvertsSignsAndKeepsTheRest() {
        QCOMPARE(convertInputLayout(QStringLiteral("@$^|")), QStringLiteral("\";:/"));
        QCOMPARE(convertInputLayout(QStringLiteral("\";:/")), QStringLiteral("ЭжЖ."));
        const QString other = QStringLiteral("ё€\u263A") + QString::fromUcs4(U"\U0001F600");
        QCOMPARE(convertInputLayout(QStringLiteral("q") + other), QStringLiteral("й") + other);
    }

    void layoutConversionWithoutAChangePlaysOnlyItsCue() {
        MainWindow& window = mainWindow();
        typeText(part<InputField>(window, "input"), QStringLiteral("уже 123 ,.?'"));
        fixture().sound.played.clear();
        QSignalSpy changes(part<InputField>(window, "input"), &QLineEdit::textChanged);
        QTest::keyClick(part<InputField>(window, "input"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(part<InputField>(window, "input")->text(), QStringLiteral("уже 123 ,.?'"));
        QCOMPARE(changes.count(), 0);
        QCOMPARE(fixture().sound.played, std::vector<Cue>{Cue::Layout});
    }

    void selfTalkTimerFollowsTheCheckMark() {
        MainWindow& window = mainWindow();
        part<QAction>(window, "cpuCpuItem")->setChecked(true);
        QTRY_VERIFY(part<QTimer>(window, "selfTalkTimer")->isActive());
        part<QAction>(window, "cpuCpuItem")->setChecked(false);
        QTRY_VERIFY(!part<QTimer>(window, "selfTalkTimer")->isActive());

        // While a dialog holds the window the refresher rests: nothing follows
        // the mark until the dialog closes.
        part<QAction>(window, "editorItem")->trigger();
        part<QAction>(window, "cpuCpuItem")->setChecked(true);
        QTest::qWait(20);
        QVERIFY(!part<QTimer>(window, "selfTalkTimer")->isActive());
        part<QPushButton>(editorOf(window), "okButton")->click();
        QVERIFY(part<QTimer>(window, "selfTalkTimer")->isActive());
    }
};

} // namespace besedka

QTEST_MAIN(besedka::MainWindowTest)
#include "test_main_window.moc"

// The main window driven through its keys, buttons and menu items.
#include "dialogue_pane.h"
#include "input_field.h"
#include "input_layout.h"
#include "kb_paths.h"
#include "text.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

namespace besedka {

using testing::typeText;
using testing::WindowFixture;

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
    typeText(window.input_, phrase);
    QTest::keyClick(window.input_, Qt::Key_Insert);
}

} // namespace

class MainWindowTest : public QObject {
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

    void startsInTheDesignState() {
        MainWindow& window = *window_;
        QCOMPARE(window.windowTitle(), QStringLiteral("Разработчик: Halden. v1.926"));
        QVERIFY(window.windowFlags().testFlag(Qt::Tool));
        QCOMPARE(window.centralWidget()->height() + window.statusBar()->height(), 361);
        QCOMPARE(window.width(), 587);
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QCOMPARE(window.pane_->geometry(), QRect(3, 5, 581, 305));
        QCOMPARE(window.input_->geometry(), QRect(3, 5, 422, 21));
        QCOMPARE(window.sayButton_->mapTo(&window, QPoint()) -
                     window.input_->mapTo(&window, QPoint()),
                 QPoint(493, 0));
        QCOMPARE(window.input_->maxLength(), 255);

        for (QToolButton* button : {window.sayButton_, window.undoButton_, window.layoutButton_}) {
            QVERIFY(!button->isEnabled());
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        }
        QCOMPARE(window.focusWidget(), window.input_);
        QVERIFY(!window.sayShortcut_->isEnabled());
        QVERIFY(!window.undoShortcut_->isEnabled());
        QVERIFY(window.layoutShortcut_->isEnabled());
        QVERIFY(window.sayShortcut_->isSeparator() && window.undoShortcut_->isSeparator() &&
                window.layoutShortcut_->isSeparator());
        // Drawn as plain lines, without their shortcut texts.
        const int line = window.settingsMenu_->actionGeometry(window.fontSeparator_).height();
        QCOMPARE(window.settingsMenu_->actionGeometry(window.undoShortcut_).height(), line);
        QCOMPARE(window.settingsMenu_->actionGeometry(window.layoutShortcut_).height(), line);
        QVERIFY(window.restoreDefaultsItem_->isChecked());
        QVERIFY(window.cpuUserItem_->isChecked());
        QVERIFY(!window.cpuCpuItem_->isChecked());
        QVERIFY(!window.fullScreenItem_->isChecked());
        QCOMPARE(window.fullScreenItem_->text(), QStringLiteral("&Full Screen"));
        QCOMPARE(window.windowColourItem_->text(), QStringLiteral("&Цвет основного фона "));

        const long learned = static_cast<long>(fixture_->fileLines(paths::kWords).size()) - 1;
        QCOMPARE(window.statusText(0), QStringLiteral("Загрузка окончена"));
        QCOMPARE(window.statusText(1),
                 QStringLiteral("Загружено фраз выученных программой: %1").arg(learned));
        QCOMPARE(window.statusText(2), QStringLiteral("Режим Cpu\\User"));
        QVERIFY(!window.input_->isReadOnly());
        QCOMPARE(fixture_->sound.count(Cue::Shake), 1); // the shake at start
        QVERIFY(fixture_->dialogs.errors.isEmpty());
    }

    void typingEnablesTheButtonsAndPlaysTheKeyboardCue() {
        MainWindow& window = *window_;
        typeText(window.input_, QStringLiteral("д"));
        QVERIFY(window.sayButton_->isEnabled());
        QVERIFY(window.layoutButton_->isEnabled());
        QVERIFY(window.sayShortcut_->isEnabled());
        QVERIFY(!window.undoButton_->isEnabled());
        QCOMPARE(fixture_->sound.count(Cue::KeyBoard), 1);

        QTest::keyClick(window.input_, Qt::Key_Backspace);
        QVERIFY(!window.sayButton_->isEnabled());
        QVERIFY(!window.layoutButton_->isEnabled());
        QVERIFY(!window.sayShortcut_->isEnabled());
        QCOMPARE(fixture_->sound.count(Cue::KeyBoard), 2);

        window.input_->setText(QString()); // no change: no cue
        QCOMPARE(fixture_->sound.count(Cue::KeyBoard), 2);
    }

    void enterSendsNothingAndInsertSends() {
        MainWindow& window = *window_;
        typeText(window.input_, QStringLiteral("привет"));
        QTest::keyClick(window.input_, Qt::Key_Return);
        QTest::keyClick(window.input_, Qt::Key_Enter);
        QCOMPARE(window.pane_->lineCount(), 0);
        QCOMPARE(window.input_->text(), QStringLiteral("привет"));

        fixture_->sound.played.clear();
        QTest::keyClick(window.input_, Qt::Key_Insert);
        QCOMPARE(window.pane_->lineCount(), 2);
        QCOMPARE(window.pane_->lineText(0), QStringLiteral("Привет."));
        const QString reply = toQString(window.engine().state().replyText);
        QCOMPARE(window.pane_->lineText(1), reply);
        QCOMPARE(transcript(window),
                 (QStringList{QStringLiteral("USER:     Привет."), "CPU:     " + reply}));
        QVERIFY(window.input_->text().isEmpty());
        QCOMPARE(fixture_->sound.played,
                 (std::vector<Cue>{Cue::UserLine, Cue::Reply, Cue::KeyBoard}));
        QVERIFY(window.undoButton_->isEnabled());
        QVERIFY(window.undoShortcut_->isEnabled());
        QVERIFY(!window.sayButton_->isEnabled());
    }

    void insertWithAnEmptyFieldDoesNothing() {
        QTest::keyClick(window_->input_, Qt::Key_Insert);
        QCOMPARE(window_->engine().dialogue().paneCount(), 0u);
        QCOMPARE(fixture_->sound.count(Cue::UserLine), 0);
    }

    void shortcutNeedsItsTopLevelMenu() {
        MainWindow& window = *window_;
        typeText(window.input_, QStringLiteral("привет"));
        window.systemMenu_->menuAction()->setEnabled(false);
        QTest::keyClick(window.input_, Qt::Key_Insert);
        QCOMPARE(window.engine().dialogue().paneCount(), 0u);
        window.systemMenu_->menuAction()->setEnabled(true);
        QTest::keyClick(window.input_, Qt::Key_Insert);
        QCOMPARE(window.engine().dialogue().paneCount(), 2u);
    }

    void ctrlZUndoesTheLastLineOfPaneAndTranscript() {
        MainWindow& window = *window_;
        say(window, QStringLiteral("привет"));
        say(window, QStringLiteral("как дела?"));
        const int lines = window.pane_->lineCount();
        QVERIFY(lines >= 4);
        const QString lineBefore = toQString(window.engine().dialogue().paneLine(lines - 2));
        const QStringList before = transcript(window);
        QCOMPARE(before.size(), 4);
        const int shakes = fixture_->sound.count(Cue::Shake);

        QTest::keyClick(window.input_, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window.pane_->lineCount(), lines - 1);
        QCOMPARE(window.engine().dialogue().paneCount(), static_cast<std::size_t>(lines - 1));
        QCOMPARE(window.pane_->lineText(lines - 2), lineBefore);
        QCOMPARE(transcript(window), before.mid(0, 3));
        QVERIFY(window.shakeTimer_->isActive());
        QTRY_VERIFY(!window.shakeTimer_->isActive());
        QCOMPARE(fixture_->sound.count(Cue::Shake), shakes + 1);
    }

    // With an empty pane Ctrl+Z does nothing: neither the command nor the
    // field's own undo.
    void ctrlZWithAnEmptyPaneDoesNothing() {
        MainWindow& window = *window_;
        typeText(window.input_, QStringLiteral("abc"));
        QTest::keyClick(window.input_, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(window.input_->text(), QStringLiteral("abc"));
        QVERIFY(!window.shakeTimer_->isActive());
    }

    void ctrlSRunsThroughItsItemEvenWithAnEmptyField() {
        MainWindow& window = *window_;
        QVERIFY(!window.layoutButton_->isEnabled());
        QTest::keyClick(window.input_, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fixture_->sound.count(Cue::Layout), 1);
        QVERIFY(window.input_->text().isEmpty());
        QCOMPARE(fixture_->sound.count(Cue::KeyBoard), 0);
    }

    // Ctrl+C copies the input field's selection, else the pane's: the focus
    // always comes back to the input field.
    void ctrlCCopiesTheInputsElseThePanesSelection() {
        MainWindow& window = *window_;
        say(window, QStringLiteral("привет"));
        window.pane_->selectAll();
        typeText(window.input_, QStringLiteral("abc"));
        QTest::keyClick(window.input_, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), window.pane_->toPlainText());
        window.input_->selectAll();
        QTest::keyClick(window.input_, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("abc"));
    }

    void paneShowsTheNewestLineAfterEitherLayout() {
        MainWindow& window = *window_;
        for (int i = 0; i < 60; ++i) {
            window.engine().dialogue().appendToPane("line");
        }
        const QScrollBar* bar = window.pane_->verticalScrollBar();
        for (int layout = 0; layout < 2; ++layout) {
            window.fullScreenItem_->trigger();
            QTRY_VERIFY(bar->maximum() > 0 && bar->value() == bar->maximum());
        }
    }

    // Every caption, label and status text fits its fixed size in the face
    // shown for "MS Sans Serif", a learned-phrase count of 7 digits included.
    void fixedTextsFitTheirControls() {
        MainWindow& window = *window_;
        window.setStatusText(0, QStringLiteral("Идёт загрузка подождите..."));
        window.setStatusText(1, QStringLiteral("Загружено фраз выученных программой: 9999999"));
        const auto fits = [](const QWidget* control, const QString& text, int room) {
            int widest = 0;
            for (const QString& line : QString(text).remove(QLatin1Char('&')).split('\n')) {
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
        MainWindow& window = *window_;
        // A longer text sent first leaves the scan position behind.
        say(window, QStringLiteral("длинная фраза без запретных знаков"));
        QVERIFY(window.pane_->isEnabled());

        window.input_->setText(typed);
        QVERIFY(window.input_->text().isEmpty());
        QVERIFY(!window.pane_->isEnabled());

        // The disabled pane still receives lines.
        say(window, QStringLiteral("ещё"));
        QCOMPARE(window.pane_->lineCount(), 4);
        QVERIFY(!window.pane_->isEnabled());
    }

    void newDialogueEmptiesPaneTranscriptAndInputButKeepsTheState() {
        MainWindow& window = *window_;
        say(window, QStringLiteral("привет"));
        typeText(window.input_, QStringLiteral("недописано"));
        const EngineState before = window.engine().state();
        QVERIFY(!before.lastReplyText.empty());

        window.newDialogueItem_->trigger();
        QCOMPARE(window.pane_->lineCount(), 0);
        QVERIFY(window.pane_->document()->isEmpty());
        QVERIFY(window.engine().dialogue().transcript().empty());
        QVERIFY(window.input_->text().isEmpty());
        QCOMPARE(window.engine().state().lastReplyText, before.lastReplyText);
        QCOMPARE(window.engine().state().lastReplyKey, before.lastReplyKey);
        QCOMPARE(window.engine().state().branchLevel, before.branchLevel);
        QCOMPARE(window.engine().state().idleTicks, before.idleTicks);
        QVERIFY(!window.undoButton_->isEnabled());
        QTRY_VERIFY(!window.shakeTimer_->isActive());
        QCOMPARE(fixture_->sound.count(Cue::Shake), 2);
    }

    void closeBoxEndsWithoutALog() {
        MainWindow& window = *window_;
        say(window, QStringLiteral("привет"));
        QSignalSpy closed(&window, &MainWindow::closed);
        QVERIFY(window.close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(fixture_->fileLines(paths::kLog).empty());
    }

    // A click on a checkable item changes its mark only through its command.
    void checkMarksChangeOnlyThroughCommands() {
        MainWindow& window = *window_;
        window.cpuCpuItem_->trigger();
        window.cpuCpuItem_->trigger();
        QVERIFY(window.cpuCpuItem_->isChecked());
        QVERIFY(!window.cpuUserItem_->isChecked());
        window.cpuUserItem_->trigger();
        QVERIFY(window.cpuUserItem_->isChecked());
        QVERIFY(!window.cpuCpuItem_->isChecked());
        window.restoreDefaultsItem_->trigger(); // restores, and the mark stays on
        QVERIFY(window.restoreDefaultsItem_->isChecked());
    }

    void layoutConversionConvertsTheInput_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("converted");
        QTest::newRow("word") << "ghbdtn" << QStringLiteral("привет");
        QTest::newRow("capital") << "Ghbdtn" << QStringLiteral("Привет");
        QTest::newRow("blank kept") << "vjq lheu" << QStringLiteral("мой друг");
        QTest::newRow("punctuation kept") << "k.,k." << QStringLiteral("л.,л.");
        QTest::newRow("shifted comma and full stop") << "<>" << QStringLiteral("бю");
    }

    void layoutConversionConvertsTheInput() {
        QFETCH(QString, typed);
        QFETCH(QString, converted);
        MainWindow& window = *window_;
        typeText(window.input_, typed);
        fixture_->sound.played.clear();
        QTest::keyClick(window.input_, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(window.input_->text(), converted);
        // The conversion cue first, then the keyboard cue of the changed text.
        QCOMPARE(fixture_->sound.played, (std::vector<Cue>{Cue::Layout, Cue::KeyBoard}));
    }

    // Converting again goes on from the converted text: @ gives the double
    // quote and then Э, the vertical bar the slash and then the full stop.
    void layoutConversionIsNotIdempotentForSomeSigns() {
        MainWindow& window = *window_;
        typeText(window.input_, QStringLiteral("@|"));
        QVERIFY(window.layoutButton_->isEnabled());
        QTest::mouseClick(window.layoutButton_, Qt::LeftButton);
        QCOMPARE(window.input_->text(), QStringLiteral("\"/"));
        QTest::mouseClick(window.layoutButton_, Qt::LeftButton);
        QCOMPARE(window.input_->text(), QStringLiteral("Э."));
        QCOMPARE(fixture_->sound.count(Cue::Layout), 2);
    }

    // The dollar sign becomes the reserved semicolon, which the guard clears.
    void layoutConversionCanProduceAReservedCharacter() {
        MainWindow& window = *window_;
        typeText(window.input_, QStringLiteral("a$"));
        QCOMPARE(window.input_->text(), QStringLiteral("a$"));
        window.layoutShortcut_->trigger();
        QVERIFY(window.input_->text().isEmpty());
        QVERIFY(!window.pane_->isEnabled());
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
        MainWindow& window = *window_;
        typeText(window.input_, QStringLiteral("уже 123 ,.?'"));
        fixture_->sound.played.clear();
        QSignalSpy changes(window.input_, &QLineEdit::textChanged);
        QTest::keyClick(window.input_, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(window.input_->text(), QStringLiteral("уже 123 ,.?'"));
        QCOMPARE(changes.count(), 0);
        QCOMPARE(fixture_->sound.played, std::vector<Cue>{Cue::Layout});
    }

    void selfTalkTimerFollowsTheCheckMark() {
        MainWindow& window = *window_;
        window.cpuCpuItem_->setChecked(true);
        QTRY_VERIFY(window.selfTalkTimer_->isActive());
        window.cpuCpuItem_->setChecked(false);
        QTRY_VERIFY(!window.selfTalkTimer_->isActive());

        // While the refresher is stopped, nothing follows the mark.
        window.stateRefresher_.stop();
        window.cpuCpuItem_->setChecked(true);
        QTest::qWait(20);
        QVERIFY(!window.selfTalkTimer_->isActive());
        window.stateRefresher_.start();
        QVERIFY(window.selfTalkTimer_->isActive());
    }

  private:
    std::unique_ptr<WindowFixture> fixture_;
    MainWindow* window_ = nullptr;
};

} // namespace besedka

QTEST_MAIN(besedka::MainWindowTest)
#include "test_main_window.moc"

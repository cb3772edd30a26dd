// The main window driven through its keys, buttons and menu items.
#include "dialogue_pane.h"
#include "input_field.h"
#include "input_layout.h"
#include "kb_paths.h"
#include "text.h"
#include "window_fixture.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextDocument>
#include <QToolButton>

namespace besedka {

using testing::typeText;
using testing::WindowFixture;

namespace {

QStringList transcript(TForm1& form) {
    QStringList lines;
    for (const auto& line : form.engine().dialogue().transcript()) {
        lines.append(toQString(line));
    }
    return lines;
}

// Types a phrase and sends it with the Insert key.
void say(TForm1& form, const QString& phrase) {
    typeText(form.Edit1, phrase);
    QTest::keyClick(form.Edit1, Qt::Key_Insert);
}

} // namespace

class MainWindowTest : public QObject {
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

    void startsInTheDesignState() {
        TForm1& form = *form_;
        QCOMPARE(form.windowTitle(), QStringLiteral("Разработчик: Halden. v1.926"));
        QVERIFY(form.windowFlags().testFlag(Qt::Tool));
        QCOMPARE(form.centralWidget()->height() + form.statusBar()->height(), 361);
        QCOMPARE(form.width(), 587);
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.RichEdit1->geometry(), QRect(3, 5, 581, 305));
        QCOMPARE(form.Edit1->geometry(), QRect(3, 5, 422, 21));
        QCOMPARE(form.SpeedButton1->mapTo(&form, QPoint()) - form.Edit1->mapTo(&form, QPoint()),
                 QPoint(493, 0));
        QCOMPARE(form.Edit1->maxLength(), 255);

        for (QToolButton* button : {form.SpeedButton1, form.SpeedButton2, form.SpeedButton3}) {
            QVERIFY(!button->isEnabled());
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        }
        QCOMPARE(form.focusWidget(), form.Edit1);
        QVERIFY(!form.N3->isEnabled());
        QVERIFY(!form.N15->isEnabled());
        QVERIFY(form.N36->isEnabled());
        QVERIFY(form.N3->isSeparator() && form.N15->isSeparator() && form.N36->isSeparator());
        // Drawn as plain lines, without their shortcut texts.
        const int line = form.N5->actionGeometry(form.N8).height();
        QCOMPARE(form.N5->actionGeometry(form.N15).height(), line);
        QCOMPARE(form.N5->actionGeometry(form.N36).height(), line);
        QVERIFY(form.N13->isChecked());
        QVERIFY(form.CpuUser1->isChecked());
        QVERIFY(!form.Cpu31->isChecked());
        QVERIFY(!form.N40->isChecked());
        QCOMPARE(form.N40->text(), QStringLiteral("&Full Screen"));
        QCOMPARE(form.N6->text(), QStringLiteral("&Цвет основного фона "));

        const long learned = static_cast<long>(fixture_->fileLines(paths::kWords).size()) - 1;
        QCOMPARE(form.statusText(0), QStringLiteral("Загрузка окончена"));
        QCOMPARE(form.statusText(1),
                 QStringLiteral("Загружено фраз выученных программой: %1").arg(learned));
        QCOMPARE(form.statusText(2), QStringLiteral("Режим Cpu\\User"));
        QVERIFY(!form.Edit1->isReadOnly());
        QCOMPARE(fixture_->sound.count(Cue::Shake), 1); // the shake at start
        QVERIFY(fixture_->dialogs.errors.isEmpty());
    }

    void typingEnablesTheButtonsAndPlaysTheKeyboardCue() {
        TForm1& form = *form_;
        typeText(form.Edit1, QStringLiteral("д"));
        QVERIFY(form.SpeedButton1->isEnabled());
        QVERIFY(form.SpeedButton3->isEnabled());
        QVERIFY(form.N3->isEnabled());
        QVERIFY(!form.SpeedButton2->isEnabled());
        QCOMPARE(fixture_->sound.count(Cue::KeyBoard), 1);

        QTest::keyClick(form.Edit1, Qt::Key_Backspace);
        QVERIFY(!form.SpeedButton1->isEnabled());
        QVERIFY(!form.SpeedButton3->isEnabled());
        QVERIFY(!form.N3->isEnabled());
        QCOMPARE(fixture_->sound.count(Cue::KeyBoard), 2);

        form.Edit1->setText(QString()); // no change: no cue
        QCOMPARE(fixture_->sound.count(Cue::KeyBoard), 2);
    }

    void enterSendsNothingAndInsertSends() {
        TForm1& form = *form_;
        typeText(form.Edit1, QStringLiteral("привет"));
        QTest::keyClick(form.Edit1, Qt::Key_Return);
        QTest::keyClick(form.Edit1, Qt::Key_Enter);
        QCOMPARE(form.RichEdit1->lineCount(), 0);
        QCOMPARE(form.Edit1->text(), QStringLiteral("привет"));

        fixture_->sound.played.clear();
        QTest::keyClick(form.Edit1, Qt::Key_Insert);
        QCOMPARE(form.RichEdit1->lineCount(), 2);
        QCOMPARE(form.RichEdit1->lineText(0), QStringLiteral("Привет."));
        const QString reply = toQString(form.engine().state().ReplyText);
        QCOMPARE(form.RichEdit1->lineText(1), reply);
        QCOMPARE(transcript(form),
                 (QStringList{QStringLiteral("USER:     Привет."), "CPU:     " + reply}));
        QVERIFY(form.Edit1->text().isEmpty());
        QCOMPARE(fixture_->sound.played,
                 (std::vector<Cue>{Cue::UserLine, Cue::Reply, Cue::KeyBoard}));
        QVERIFY(form.SpeedButton2->isEnabled());
        QVERIFY(form.N15->isEnabled());
        QVERIFY(!form.SpeedButton1->isEnabled());
    }

    void insertWithAnEmptyFieldDoesNothing() {
        QTest::keyClick(form_->Edit1, Qt::Key_Insert);
        QCOMPARE(form_->engine().dialogue().paneCount(), 0u);
        QCOMPARE(fixture_->sound.count(Cue::UserLine), 0);
    }

    void shortcutNeedsItsTopLevelMenu() {
        TForm1& form = *form_;
        typeText(form.Edit1, QStringLiteral("привет"));
        form.N1->menuAction()->setEnabled(false);
        QTest::keyClick(form.Edit1, Qt::Key_Insert);
        QCOMPARE(form.engine().dialogue().paneCount(), 0u);
        form.N1->menuAction()->setEnabled(true);
        QTest::keyClick(form.Edit1, Qt::Key_Insert);
        QCOMPARE(form.engine().dialogue().paneCount(), 2u);
    }

    void ctrlZUndoesTheLastLineOfPaneAndTranscript() {
        TForm1& form = *form_;
        say(form, QStringLiteral("привет"));
        say(form, QStringLiteral("как дела?"));
        const int lines = form.RichEdit1->lineCount();
        QVERIFY(lines >= 4);
        const QString lineBefore = toQString(form.engine().dialogue().paneLine(lines - 2));
        const QStringList before = transcript(form);
        QCOMPARE(before.size(), 4);
        const int shakes = fixture_->sound.count(Cue::Shake);

        QTest::keyClick(form.Edit1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form.RichEdit1->lineCount(), lines - 1);
        QCOMPARE(form.engine().dialogue().paneCount(), static_cast<std::size_t>(lines - 1));
        QCOMPARE(form.RichEdit1->lineText(lines - 2), lineBefore);
        QCOMPARE(transcript(form), before.mid(0, 3));
        QVERIFY(form.Timer7->isActive());
        QTRY_VERIFY(!form.Timer7->isActive());
        QCOMPARE(fixture_->sound.count(Cue::Shake), shakes + 1);
    }

    // With an empty pane Ctrl+Z does nothing: neither the command nor the
    // field's own undo.
    void ctrlZWithAnEmptyPaneDoesNothing() {
        TForm1& form = *form_;
        typeText(form.Edit1, QStringLiteral("abc"));
        QTest::keyClick(form.Edit1, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form.Edit1->text(), QStringLiteral("abc"));
        QVERIFY(!form.Timer7->isActive());
    }

    void ctrlSRunsThroughItsItemEvenWithAnEmptyField() {
        TForm1& form = *form_;
        QVERIFY(!form.SpeedButton3->isEnabled());
        QTest::keyClick(form.Edit1, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fixture_->sound.count(Cue::Layout), 1);
        QVERIFY(form.Edit1->text().isEmpty());
        QCOMPARE(fixture_->sound.count(Cue::KeyBoard), 0);
    }

    void guardClearsReservedCharactersAndDisablesThePane_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("caret at the end") << QStringLiteral("привет^");
        QTest::newRow("underscore first") << QStringLiteral("_abc");
        QTest::newRow("semicolon inside") << QStringLiteral("a;b");
    }

    void guardClearsReservedCharactersAndDisablesThePane() {
        QFETCH(QString, typed);
        TForm1& form = *form_;
        // A longer text sent first leaves the scan position behind.
        say(form, QStringLiteral("длинная фраза без запретных знаков"));
        QVERIFY(form.RichEdit1->isEnabled());

        form.Edit1->setText(typed);
        QVERIFY(form.Edit1->text().isEmpty());
        QVERIFY(!form.RichEdit1->isEnabled());

        // The disabled pane still receives lines.
        say(form, QStringLiteral("ещё"));
        QCOMPARE(form.RichEdit1->lineCount(), 4);
        QVERIFY(!form.RichEdit1->isEnabled());
    }

    void newDialogueEmptiesPaneTranscriptAndInputButKeepsTheState() {
        TForm1& form = *form_;
        say(form, QStringLiteral("привет"));
        typeText(form.Edit1, QStringLiteral("недописано"));
        const EngineState before = form.engine().state();
        QVERIFY(!before.LastReplyText.empty());

        form.N2->trigger();
        QCOMPARE(form.RichEdit1->lineCount(), 0);
        QVERIFY(form.RichEdit1->document()->isEmpty());
        QVERIFY(form.engine().dialogue().transcript().empty());
        QVERIFY(form.Edit1->text().isEmpty());
        QCOMPARE(form.engine().state().LastReplyText, before.LastReplyText);
        QCOMPARE(form.engine().state().LastReplyKey, before.LastReplyKey);
        QCOMPARE(form.engine().state().BranchLevel, before.BranchLevel);
        QCOMPARE(form.engine().state().IdleTicks, before.IdleTicks);
        QVERIFY(!form.SpeedButton2->isEnabled());
        QTRY_VERIFY(!form.Timer7->isActive());
        QCOMPARE(fixture_->sound.count(Cue::Shake), 2);
    }

    void closeBoxEndsWithoutALog() {
        TForm1& form = *form_;
        say(form, QStringLiteral("привет"));
        QSignalSpy closed(&form, &TForm1::closed);
        QVERIFY(form.close());
        QCOMPARE(closed.count(), 1);
        QVERIFY(fixture_->fileLines(paths::kLog).empty());
    }

    // A click on a checkable item changes its mark only through its command.
    void checkMarksChangeOnlyThroughCommands() {
        TForm1& form = *form_;
        form.Cpu31->trigger();
        form.Cpu31->trigger();
        QVERIFY(form.Cpu31->isChecked());
        QVERIFY(!form.CpuUser1->isChecked());
        form.CpuUser1->trigger();
        QVERIFY(form.CpuUser1->isChecked());
        QVERIFY(!form.Cpu31->isChecked());
        form.N13->trigger(); // restores, and the mark stays on
        QVERIFY(form.N13->isChecked());
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
        TForm1& form = *form_;
        typeText(form.Edit1, typed);
        fixture_->sound.played.clear();
        QTest::keyClick(form.Edit1, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(form.Edit1->text(), converted);
        // The conversion cue first, then the keyboard cue of the changed text.
        QCOMPARE(fixture_->sound.played, (std::vector<Cue>{Cue::Layout, Cue::KeyBoard}));
    }

    // Converting again goes on from the converted text: @ gives the double
    // quote and then Э, the vertical bar the slash and then the full stop.
    void layoutConversionIsNotIdempotentForSomeSigns() {
        TForm1& form = *form_;
        typeText(form.Edit1, QStringLiteral("@|"));
        QVERIFY(form.SpeedButton3->isEnabled());
        QTest::mouseClick(form.SpeedButton3, Qt::LeftButton);
        QCOMPARE(form.Edit1->text(), QStringLiteral("\"/"));
        QTest::mouseClick(form.SpeedButton3, Qt::LeftButton);
        QCOMPARE(form.Edit1->text(), QStringLiteral("Э."));
        QCOMPARE(fixture_->sound.count(Cue::Layout), 2);
    }

    // The dollar sign becomes the reserved semicolon, which the guard clears.
    void layoutConversionCanProduceAReservedCharacter() {
        TForm1& form = *form_;
        typeText(form.Edit1, QStringLiteral("a$"));
        QCOMPARE(form.Edit1->text(), QStringLiteral("a$"));
        form.N36Click();
        QVERIFY(form.Edit1->text().isEmpty());
        QVERIFY(!form.RichEdit1->isEnabled());
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
        TForm1& form = *form_;
        typeText(form.Edit1, QStringLiteral("уже 123 ,.?'"));
        fixture_->sound.played.clear();
        QSignalSpy changes(form.Edit1, &QLineEdit::textChanged);
        QTest::keyClick(form.Edit1, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(form.Edit1->text(), QStringLiteral("уже 123 ,.?'"));
        QCOMPARE(changes.count(), 0);
        QCOMPARE(fixture_->sound.played, std::vector<Cue>{Cue::Layout});
    }

    void selfTalkTimerFollowsTheCheckMark() {
        TForm1& form = *form_;
        form.Cpu31->setChecked(true);
        QTRY_VERIFY(form.Timer6->isActive());
        form.Cpu31->setChecked(false);
        QTRY_VERIFY(!form.Timer6->isActive());

        // While the refresher is stopped, nothing follows the mark.
        form.Timer1.stop();
        form.Cpu31->setChecked(true);
        QTest::qWait(20);
        QVERIFY(!form.Timer6->isActive());
        form.Timer1.start();
        QVERIFY(form.Timer6->isActive());
    }

  private:
    std::unique_ptr<WindowFixture> fixture_;
    TForm1* form_ = nullptr;
};

} // namespace besedka

QTEST_MAIN(besedka::MainWindowTest)
#include "test_main_window.moc"

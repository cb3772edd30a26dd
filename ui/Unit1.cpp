#include "Unit1.h"

#include "clock.h"
#include "dialogs.h"
#include "dialogue_pane.h"
#include "file_error.h"
#include "input_field.h"
#include "input_layout.h"
#include "sound_player.h"
#include "text.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QToolButton>

namespace besedka {

TForm1::TForm1(const FileStore& files, Clock& clock, SoundPlayer& sound, Dialogs& dialogs,
               QWidget* parent)
    : QMainWindow(parent), Timer1([this] { Timer1Timer(); }), Timer5([this] { scanWholeInput(); }),
      sound_(sound), dialogs_(dialogs), engine_(files, clock, *this) {
    createControls();
    createStatusBar();
    createMenu();
    fixDesignSize();
    createTimers();
    engine_.dialogue().setObserver(RichEdit1);
    connectControls();
    FormCreate();
    createDialogs(files, clock);
}

TForm1::~TForm1() {
    engine_.dialogue().setObserver(nullptr);
}

void TForm1::connectControls() {
    connect(Edit1, &QLineEdit::textChanged, this, [this] {
        Edit1Change();
        Timer1.poke();
        Timer5.poke();
    });
    connect(RichEdit1, &DialoguePane::linesChanged, this, [this] { Timer1.poke(); });
    // Queued: a click's own toggling is undone first (connectItem).
    connect(
        Cpu31, &QAction::toggled, this, [this] { Timer1.poke(); }, Qt::QueuedConnection);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && now->window() == this) {
            Timer1.poke();
        }
    });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
    connectItem(N2, [this] { N2Click(); });
    connectItem(N3, [this] { N3Click(); });
    connectItem(N4, [this] { N4Click(); });
    connectItem(N15, [this] { N15Click(); });
    connectItem(N36, [this] { N36Click(); });
    Timer1.start();
    Timer5.start();
}

void TForm1::FormCreate() {
    runStep([this] { engine_.loadTreeAtCreation(); });
}

bool TForm1::runStep(const std::function<void()>& step, RepeatedFailure* repeated) {
    try {
        step();
        return true;
    } catch (const FileError& error) {
        if (repeated == nullptr || repeated->firstFailure()) {
            showFileError(error);
        }
        return false;
    }
}

void TForm1::showFileError(const FileError& error) {
    dialogs_.showError(this, toQString(error.what()));
}

// Host

void TForm1::playCue(Cue cue) {
    sound_.play(cue);
}

void TForm1::clearInput() {
    Edit1->clear();
}

void TForm1::startClosing() {
    startIfStopped(Timer4);
}

// Commands

void TForm1::Edit1Change() {
    sound_.play(Cue::KeyBoard);
}

void TForm1::SpeedButton1Click() {
    runStep([this] { engine_.say(fromQString(Edit1->text())); });
}

void TForm1::SpeedButton2Click() {
    engine_.undo();
    startIfStopped(Timer7);
}

void TForm1::SpeedButton3Click() {
    sound_.play(Cue::Layout); // before the text is read
    const QString converted = convertInputLayout(Edit1->text());
    // Only a real change is written back, and so plays the keyboard cue.
    if (converted != Edit1->text()) {
        Edit1->setText(converted);
    }
}

void TForm1::N2Click() {
    engine_.newDialogue();
    Edit1->clear();
    startIfStopped(Timer7);
}

void TForm1::N3Click() {
    SpeedButton1Click();
}

void TForm1::N4Click() {
    if (runStep([this] { engine_.appendDialogueLog(engine_.clock().localNow()); })) {
        close();
    }
}

void TForm1::N15Click() {
    SpeedButton2Click();
}

void TForm1::N36Click() {
    SpeedButton3Click();
}

// The mode commands add their service lines whatever the mode is; the state
// refresher starts or stops self-talk by Cpu31's mark.
void TForm1::CpuUser1Click() {
    engine_.switchToCpuUser();
    setStatusText(2, QStringLiteral("Режим Cpu\\User"));
    CpuUser1->setChecked(true);
    Cpu31->setChecked(false);
}

void TForm1::Cpu31Click() {
    engine_.switchToCpuCpu();
    setStatusText(2, QStringLiteral("Режим Cpu\\Cpu"));
    CpuUser1->setChecked(false);
    Cpu31->setChecked(true);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // While a dialog holds the window its close box does nothing; the exit
    // command (a closing animation that runs on) still closes it.
    if (!isEnabled() && event->spontaneous()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        emit closed();
    }
}

QString TForm1::statusText(int panel) const {
    return statusPanels_.at(static_cast<std::size_t>(panel))->text();
}

void TForm1::setStatusText(int panel, const QString& text) {
    statusPanels_.at(static_cast<std::size_t>(panel))->setText(text);
}

} // namespace besedka

#include "chat/main_window.h"

#include "chat/dialogue_pane.h"
#include "chat/input_field.h"
#include "chat/input_layout.h"
#include "chat/sound_player.h"
#include "common/dialogs.h"
#include "common/qt_text.h"
#include "files/file_error.h"
#include "talk/clock.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace besedka {

MainWindow::MainWindow(const FileStore& files, Clock& clock, SoundPlayer& sound, Dialogs& dialogs,
                       QWidget* parent)
    : QMainWindow(parent), stateRefresher_([this] { refreshState(); }),
      reservedGuard_([this] { scanWholeInput(); }), sound_(sound), dialogs_(dialogs),
      engine_(files, clock, *this) {
    createControls();
    createStatusBar();
    createMenu();
    fixDesignSize();
    createTimers();
    engine_.dialogue().setObserver(pane_);
    connectControls();
    loadTreeOnCreation();
    createDialogs(files, clock);
}

MainWindow::~MainWindow() {
    engine_.dialogue().setObserver(nullptr);
}

void MainWindow::connectControls() {
    connect(input_, &QLineEdit::textChanged, this, [this] {
        inputChanged();
        stateRefresher_.poke();
        reservedGuard_.poke();
    });
    connect(pane_, &DialoguePane::linesChanged, this, [this] { stateRefresher_.poke(); });
    // Queued: a click's own toggling is undone first (connectItem).
    connect(
        cpuCpuItem_, &QAction::toggled, this, [this] { stateRefresher_.poke(); },
        Qt::QueuedConnection);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && now->window() == this) {
            stateRefresher_.poke();
        }
    });
    connect(sayButton_, &QToolButton::clicked, this, [this] { say(); });
    connect(undoButton_, &QToolButton::clicked, this, [this] { undo(); });
    connect(layoutButton_, &QToolButton::clicked, this, [this] { convertLayout(); });
    connectItem(newDialogueItem_, [this] { newDialogue(); });
    // The shortcut items run the button's command whatever the button's enabled
    // state: intended; held by MainWindowTest::ctrlSRunsThroughItsItemEvenWithAnEmptyField.
    connectItem(sayShortcut_, [this] { say(); });
    connectItem(undoShortcut_, [this] { undo(); });
    connectItem(layoutShortcut_, [this] { convertLayout(); });
    connectItem(exitItem_, [this] { exitProgram(); });
    stateRefresher_.start();
    reservedGuard_.start();
}

void MainWindow::loadTreeOnCreation() {
    runStep([this] { engine_.loadTreeAtCreation(); });
}

bool MainWindow::runStep(const std::function<void()>& step, RepeatedFailure* repeated) {
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

void MainWindow::showFileError(const FileError& error) {
    dialogs_.showError(this, QString::fromUtf8(error.what()));
}

// Host

void MainWindow::playCue(Cue cue) {
    sound_.play(cue);
}

void MainWindow::clearInput() {
    if (!phraseBeingSaid_ || input_->text() == *phraseBeingSaid_) {
        input_->clear();
    }
}

void MainWindow::startClosing() {
    startIfStopped(closingTimer_);
}

void MainWindow::waitingForKnowledgeBase(bool waiting) {
    if (waiting) {
        statusBeforeWait_ = statusText(0);
        setStatusText(0, QStringLiteral("База занята другой программой, ждём..."));
    } else {
        setStatusText(0, statusBeforeWait_);
    }
}

// Commands

void MainWindow::inputChanged() {
    sound_.play(Cue::KeyBoard);
}

void MainWindow::say() {
    const QString typed = input_->text();
    if (typed.isEmpty() && engine_.mode() == Mode::CpuUser) {
        return; // no exchange: nothing to wait for
    }
    runLocked({LockedStep::Kind::Phrase, typed,
               [this, typed] {
                   phraseBeingSaid_ = typed;
                   engine_.say(fromQString(typed));
               },
               [this](bool) { phraseBeingSaid_.reset(); }});
}

void MainWindow::undo() {
    engine_.undo();
    startIfStopped(shakeTimer_);
}

void MainWindow::convertLayout() {
    sound_.play(Cue::Layout); // before the text is read
    const QString converted = convertInputLayout(input_->text());
    // Only a real change is written back, and so plays the keyboard cue.
    if (converted != input_->text()) {
        input_->setText(converted);
    }
}

void MainWindow::newDialogue() {
    engine_.newDialogue();
    input_->clear();
    startIfStopped(shakeTimer_);
}

void MainWindow::exitProgram() {
    runLocked({LockedStep::Kind::Exit,
               {},
               [this] { engine_.appendDialogueLog(engine_.clock().localNow()); },
               [this](bool done) {
                   if (done) {
                       close();
                   }
               }});
}

// The mode commands add their service lines whatever the mode is; the state
// refresher starts or stops self-talk by cpuCpuItem_'s mark.
void MainWindow::switchToCpuUser() {
    engine_.switchToCpuUser();
    setStatusText(2, QStringLiteral("Режим Cpu\\User"));
    cpuUserItem_->setChecked(true);
    cpuCpuItem_->setChecked(false);
}

void MainWindow::switchToCpuCpu() {
    engine_.switchToCpuCpu();
    setStatusText(2, QStringLiteral("Режим Cpu\\Cpu"));
    cpuUserItem_->setChecked(false);
    cpuCpuItem_->setChecked(true);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // While a dialog holds the window its close box does nothing; the exit
    // command (a closing animation that runs on) still closes it.
    if (!isEnabled() && event->spontaneous()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        // What still waits for the lock is dropped: nothing more is written.
        lockedSteps_.clear();
        lockRetryTimer_->stop();
        emit closed();
    }
}

QString MainWindow::statusText(int panel) const {
    return statusPanels_.at(static_cast<std::size_t>(panel))->text();
}

void MainWindow::setStatusText(int panel, const QString& text) {
    statusPanels_.at(static_cast<std::size_t>(panel))->setText(text);
}

} // namespace besedka

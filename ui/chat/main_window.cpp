#include "chat/main_window.h"

#include "chat/about_box.h"
#include "chat/appearance_commands.h"
#include "chat/dialogue_pane.h"
#include "chat/editor_dialog.h"
#include "chat/input_field.h"
#include "chat/input_layout.h"
#include "chat/lock_queue.h"
#include "chat/sound_player.h"
#include "common/qt_text.h"
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
      steps_(dialogs, this), engine_(files, clock, *this) {
    createControls();
    createStatusBar();
    menu_ = buildMainMenu(menuBar());
    fixDesignSize();
    createTimers();
    lockQueue_ = new LockQueue(files, steps_, statusPanels_[0], this);
    engine_.dialogue().setObserver(pane_);
    connectControls();
    loadTreeOnCreation();
    createDialogs(files, clock);
    connectMenu();
}

MainWindow::~MainWindow() {
    engine_.dialogue().setObserver(nullptr);
}

void MainWindow::connectControls() {
    input_->setWindowKeys(menu_.windowKeys());
    input_->setCopyElsewhere([this] { pane_->copy(); });
    connect(input_, &QLineEdit::textChanged, this, [this] {
        inputChanged();
        stateRefresher_.poke();
        reservedGuard_.poke();
    });
    connect(pane_, &DialoguePane::linesChanged, this, [this] { stateRefresher_.poke(); });
    // Queued: a click's own toggling is undone first (connectItem).
    connect(
        menu_.cpuCpuItem, &QAction::toggled, this, [this] { stateRefresher_.poke(); },
        Qt::QueuedConnection);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && now->window() == this) {
            stateRefresher_.poke();
        }
    });
    connect(sayButton_, &QToolButton::clicked, this, [this] { say(); });
    connect(undoButton_, &QToolButton::clicked, this, [this] { undo(); });
    connect(layoutButton_, &QToolButton::clicked, this, [this] { convertLayout(); });
    stateRefresher_.start();
    reservedGuard_.start();
}

void MainWindow::connectMenu() {
    connectItem(this, menu_.newDialogueItem, [this] { newDialogue(); });
    // The shortcut items run the button's command whatever the button's enabled
    // state: intended; held by MainWindowTest::ctrlSRunsThroughItsItemEvenWithAnEmptyField.
    connectItem(this, menu_.sayShortcut, [this] { say(); });
    connectItem(this, menu_.undoShortcut, [this] { undo(); });
    connectItem(this, menu_.layoutShortcut, [this] { convertLayout(); });
    connectItem(this, menu_.exitItem, [this] { exitProgram(); });
    connectItem(this, menu_.windowColourItem, [this] { appearance_->chooseWindowColour(); });
    connectItem(this, menu_.paneColourItem, [this] { appearance_->choosePaneColour(); });
    connectItem(this, menu_.inputColourItem, [this] { appearance_->chooseInputColour(); });
    connectItem(this, menu_.buttonTextColourItem,
                [this] { appearance_->chooseButtonTextColours(); });
    connectItem(this, menu_.userColourItem, [this] { appearance_->chooseUserLineColour(); });
    connectItem(this, menu_.replyColourItem, [this] { appearance_->chooseReplyLineColour(); });
    connectItem(this, menu_.inputTextColourItem, [this] { appearance_->chooseInputTextColour(); });
    connectItem(this, menu_.userFontItem, [this] { appearance_->chooseUserLineFont(); });
    connectItem(this, menu_.replyFontItem, [this] { appearance_->chooseReplyLineFont(); });
    connectItem(this, menu_.inputFontItem, [this] { appearance_->chooseInputFont(); });
    connectItem(this, menu_.restoreDefaultsItem, [this] { appearance_->restoreDefaults(); });
    connectItem(this, menu_.cpuUserItem, [this] { switchToCpuUser(); });
    connectItem(this, menu_.cpuCpuItem, [this] { switchToCpuCpu(); });
    connectItem(this, menu_.editorItem, [this] { openEditor(); });
    connectItem(this, menu_.fullScreenItem, [this] { toggleFullScreen(); });
    connectItem(this, menu_.aboutItem, [this] { openAbout(); });
}

void MainWindow::loadTreeOnCreation() {
    steps_.run([this] { engine_.loadTreeAtCreation(); });
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

// Commands

void MainWindow::inputChanged() {
    sound_.play(Cue::KeyBoard);
}

void MainWindow::say() {
    const QString typed = input_->text();
    if (typed.isEmpty() && engine_.mode() == Mode::CpuUser) {
        return; // no exchange: nothing to wait for
    }
    lockQueue_->run({LockQueue::Step::Kind::Phrase, typed,
                     [this, typed] {
                         phraseBeingSaid_ = typed;
                         engine_.say(phraseFromQString(typed));
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
    lockQueue_->run({LockQueue::Step::Kind::Exit,
                     {},
                     [this] { engine_.appendDialogueLog(engine_.clock().localNow()); },
                     [this](bool done) {
                         if (done) {
                             close();
                         }
                     }});
}

// The mode commands add their service lines whatever the mode is; the state
// refresher starts or stops self-talk by the mark of menu_.cpuCpuItem.
void MainWindow::switchToCpuUser() {
    engine_.switchToCpuUser();
    setStatusText(2, QStringLiteral("Режим Cpu\\User"));
    menu_.cpuUserItem->setChecked(true);
    menu_.cpuCpuItem->setChecked(false);
}

void MainWindow::switchToCpuCpu() {
    engine_.switchToCpuCpu();
    setStatusText(2, QStringLiteral("Режим Cpu\\Cpu"));
    menu_.cpuUserItem->setChecked(false);
    menu_.cpuCpuItem->setChecked(true);
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
        lockQueue_->dropWaiting();
        emit closed();
    }
}

const FontSpec& MainWindow::inputFontChoice() const {
    return appearance_->inputFontChoice();
}

QString MainWindow::statusText(int panel) const {
    return statusPanels_.at(static_cast<std::size_t>(panel))->text();
}

void MainWindow::setStatusText(int panel, const QString& text) {
    statusPanels_.at(static_cast<std::size_t>(panel))->setText(text);
}

} // namespace besedka

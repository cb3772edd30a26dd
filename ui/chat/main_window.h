#pragma once

#include "chat/event_timer.h"
#include "chat/main_menu.h"
#include "chat/repeated_failure.h"
#include "chat/step_runner.h"
#include "files/directory_lock.h"
#include "talk/engine.h"
#include "talk/host.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <optional>

class QFrame;
class QLabel;
class QStatusBar;
class QTimer;
class QToolButton;

namespace besedka {

class AboutBox;
class AppearanceCommands;
class Clock;
class Dialogs;
class DialoguePane;
class EditorDialog;
class FileStore;
class InputField;
class LockQueue;
class SoundPlayer;
struct LayoutSizes;

// The main window: the input field, the button bar, the dialogue pane, the
// status bar, the menu and the timers, as a thin layer over the engine. Its
// steps that change the knowledge base wait in a LockQueue; the appearance
// commands of its menu are AppearanceCommands.
class MainWindow final : public QMainWindow, private Host {
    Q_OBJECT

  public:
    MainWindow(const FileStore& files, Clock& clock, SoundPlayer& sound, Dialogs& dialogs,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    Engine& engine() { return engine_; }
    QString statusText(int panel) const;
    // Shows the window centred on the desktop and gives it the keyboard.
    void showCentred();

    // The input font dialog's font: face and style of the input field.
    const FontSpec& inputFontChoice() const;

    // The closing animation's tick counter; never reset.
    int closingTicks() const { return closingTicks_; }
    // The 1-based input position the guard examined last.
    int scanPosition() const { return scanPosition_; }

  signals:
    // The window has closed: the program ends.
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void setStatusText(int panel, const QString& text);

    // Handlers.
    void loadTreeOnCreation();
    void inputChanged();
    void say();
    void undo();
    void convertLayout();
    void newDialogue();
    void exitProgram();
    void switchToCpuUser();
    void switchToCpuCpu();
    void openEditor();
    void openAbout();
    void toggleFullScreen();
    void refreshState();
    void idleTick();
    void startupLoadTick();
    void closingTick();
    void guardTick();
    void selfTalkTick();
    void shake();

    // Controls.
    QFrame* panePanel_ = nullptr;
    DialoguePane* pane_ = nullptr;
    QFrame* inputBar_ = nullptr;
    InputField* input_ = nullptr;
    QToolButton* sayButton_ = nullptr;
    QToolButton* undoButton_ = nullptr;
    QToolButton* layoutButton_ = nullptr;
    QStatusBar* statusBar_ = nullptr;
    MainMenu menu_;

    // Timers. The state refresher and the reserved-character guard tick when
    // what they look at changes; the others are Qt timers.
    EventTimer stateRefresher_;
    QTimer* idleTimer_ = nullptr;
    QTimer* startupLoadTimer_ = nullptr;
    QTimer* closingTimer_ = nullptr;
    EventTimer reservedGuard_;
    QTimer* selfTalkTimer_ = nullptr;
    QTimer* shakeTimer_ = nullptr;

    // The editor dialog and the about box, created hidden after the window.
    EditorDialog* editor_ = nullptr;
    AboutBox* aboutBox_ = nullptr;

    void createDialogs(const FileStore& files, Clock& clock);
    // While the editor or the about box is open, the window takes no input
    // and its state refresher rests.
    void holdForDialog();
    void releaseFromDialog();
    // Host. The engine's steps run inside the lock queue's hold, so the
    // engine never waits for Base here: the queue tells of the wait.
    void playCue(Cue cue) override;
    void clearInput() override;
    void startClosing() override;

    void createControls();
    void createStatusBar();
    void fixDesignSize();
    void createTimers();
    void connectControls();
    // The menu items to their commands.
    void connectMenu();
    // Starting a running timer changes nothing (QTimer::start would restart it).
    static void startIfStopped(QTimer* timer);
    void scanWholeInput();
    void shrinkForClosing();
    // Covers a strip the closing window gives up in the window's colour.
    void blankStrip(std::size_t which, const QRect& strip);
    void setSelfTalkPeriod(int milliseconds);
    void applyLayout(const LayoutSizes& sizes);
    void showUnsharedLock();

    SoundPlayer& sound_;
    Dialogs& dialogs_;
    const StepRunner steps_; // shows a step's file error in the error box
    Engine engine_;
    std::array<QLabel*, 3> statusPanels_{};
    LockQueue* lockQueue_ = nullptr;
    std::unique_ptr<AppearanceCommands> appearance_;
    // The input a phrase step says: the exchange clears the input only while
    // it still holds that phrase, not what was typed during the wait.
    std::optional<QString> phraseBeingSaid_;
    UnsharedLockListener unsharedLock_{
        [this](const std::filesystem::path&) { showUnsharedLock(); }};
    int closingTicks_ = 0;
    std::array<QWidget*, 2> closingStrips_{}; // the right and the bottom strip
    int scanPosition_ = 0;
    RepeatedFailure startupLoadFailure_;
    RepeatedFailure idleRemarkFailure_;
    RepeatedFailure selfTalkFailure_;
    QPoint normalPosition_; // where the normal layout comes back
};

} // namespace besedka

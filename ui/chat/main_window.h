#pragma once

#include "chat/event_timer.h"
#include "chat/repeated_failure.h"
#include "files/directory_lock.h"
#include "talk/engine.h"
#include "talk/host.h"

#include <QMainWindow>

#include <array>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class QToolButton;

namespace besedka {

class Clock;
class Dialogs;
class DialoguePane;
class FileError;
class FileStore;
class InputField;
class SoundPlayer;
class EditorDialog;
class AboutBox;
struct LayoutSizes;

// The main window: the input field, the button bar, the dialogue pane, the
// status bar, the menu and the timers, as a thin layer over the engine.
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
    const FontSpec& inputFontChoice() const { return inputFont_; }

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
    void centreOnDesktop();

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
    void chooseWindowColour();
    void choosePaneColour();
    void chooseInputColour();
    void chooseButtonTextColours();
    void chooseUserLineColour();
    void chooseReplyLineColour();
    void chooseInputTextColour();
    void chooseUserLineFont();
    void chooseReplyLineFont();
    void chooseInputFont();
    void restoreDefaults();
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

    // Menu: top-level menus and submenus are QMenus, items QActions.
    QMenu* systemMenu_ = nullptr;
    QAction* newDialogueItem_ = nullptr;
    QAction* sayShortcut_ = nullptr;
    QAction* exitItem_ = nullptr;
    QMenu* settingsMenu_ = nullptr;
    QAction* windowColourItem_ = nullptr;
    QAction* paneColourItem_ = nullptr;
    QAction* inputColourItem_ = nullptr;
    QAction* buttonTextColourItem_ = nullptr;
    QAction* undoShortcut_ = nullptr;
    QMenu* lineColourMenu_ = nullptr;
    QAction* userColourItem_ = nullptr;
    QAction* replyColourItem_ = nullptr;
    QAction* inputTextColourItem_ = nullptr;
    QAction* layoutShortcut_ = nullptr;
    QMenu* lineFontMenu_ = nullptr;
    QAction* userFontItem_ = nullptr;
    QAction* replyFontItem_ = nullptr;
    QAction* inputFontItem_ = nullptr;
    QAction* fontSeparator_ = nullptr;
    QAction* restoreDefaultsItem_ = nullptr;
    QAction* defaultsSeparator_ = nullptr;
    QMenu* modeMenu_ = nullptr;
    QAction* cpuUserItem_ = nullptr;
    QAction* cpuCpuItem_ = nullptr;
    QAction* editorItem_ = nullptr;
    QAction* editorSeparator_ = nullptr;
    QAction* fullScreenItem_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QAction* aboutItem_ = nullptr;

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
    // Host
    void playCue(Cue cue) override;
    void clearInput() override;
    void startClosing() override;
    void waitingForKnowledgeBase(bool waiting) override;

    void createControls();
    void createStatusBar();
    void createMenu();
    void fixDesignSize();
    void createTimers();
    void connectControls();
    // Runs `handler` when the item is clicked or its shortcut pressed. Check
    // marks change only through the commands: Qt's own toggling on a click is
    // undone before the handler runs.
    void connectItem(QAction* item, std::function<void()> handler = {});
    void setTopMenusEnabled(bool enabled);
    // Starting a running timer changes nothing (QTimer::start would restart it).
    static void startIfStopped(QTimer* timer);
    void scanWholeInput();
    void shrinkForClosing();
    // Covers a strip the closing window gives up in the window's colour.
    void blankStrip(std::size_t which, const QRect& strip);
    void setSelfTalkPeriod(int milliseconds);

    // Appearance: the colour and font dialogs keep their last choice (the
    // engine's Appearance and inputFont_); the controls show it.
    void clearDefaultsMark();
    // The background colour dialog; a confirmed colour becomes its colour.
    std::optional<Colour> chooseBackgroundColour(const QString& title = QString());
    void chooseLineColour(Colour& dialogColour);
    void chooseLineFont(FontSpec& dialogFont);
    void setWindowColour(Colour colour);
    void setPaneBackground(Colour colour);
    void setInputBackground(Colour colour);
    void setInputTextColour(Colour colour);
    void setInputFont(const FontSpec& font);
    static void setButtonTextColour(QToolButton* button, Colour colour);
    void applyLayout(const LayoutSizes& sizes);

    // Runs one step of a handler. A file error stops it and is shown in the
    // standard error box; for a step that a timer repeats, only once until it
    // succeeds again. Returns whether the step completed.
    bool runStep(const std::function<void()>& step, RepeatedFailure* repeated = nullptr);
    void showFileError(const FileError& error);

    // A step that changes the knowledge base, run under the lock of Base.
    struct LockedStep {
        enum class Kind { Phrase, SelfTalk, Exit };
        Kind kind;
        QString phrase;                      // what the input held (Phrase)
        std::function<void()> work;          // runs under the lock
        std::function<void(bool done)> then; // runs once the lock is released
        RepeatedFailure* repeated = nullptr;
    };
    // Runs the step at once when the lock is free; while another process
    // holds it, the step waits behind those already waiting, and a timer
    // tries again, so that the window goes on painting and can be closed.
    // A step like one already waiting (the same phrase, a second self-talk
    // step or exit) is dropped.
    void runLocked(LockedStep step);
    void runWaitingSteps();
    void keepWaitingForLock();
    void stopWaitingForLock();
    void showUnsharedLock();

    SoundPlayer& sound_;
    Dialogs& dialogs_;
    Engine engine_;
    std::array<QLabel*, 3> statusPanels_{};
    QString statusBeforeWait_; // panel 0 while another process holds the files
    std::deque<LockedStep> lockedSteps_;
    bool runningLockedSteps_ = false;
    QTimer* lockRetryTimer_ = nullptr;
    std::chrono::steady_clock::time_point waitStarted_;
    bool waitTold_ = false;
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
    FontSpec inputFont_;
    QPoint normalPosition_; // where the normal layout comes back
};

} // namespace besedka

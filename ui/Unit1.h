#pragma once

#include "engine.h"
#include "event_timer.h"
#include "host.h"
#include "repeated_failure.h"

#include <QMainWindow>

#include <array>
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
class TForm2;
class TForm3;
struct LayoutSizes;

// The main window: the input field, the button bar, the dialogue pane, the
// status bar, the menu and the timers, as a thin layer over the engine.
// Controls, menu items, timers and handlers keep their names from the form.
class TForm1 final : public QMainWindow, private Host {
    Q_OBJECT

  public:
    TForm1(const FileStore& files, Clock& clock, SoundPlayer& sound, Dialogs& dialogs,
           QWidget* parent = nullptr);
    ~TForm1() override;

    Engine& engine() { return engine_; }
    QString statusText(int panel) const;
    void setStatusText(int panel, const QString& text);
    // Shows the window centred on the desktop and gives it the keyboard.
    void showCentred();
    void centreOnDesktop();

    // Handlers.
    void FormCreate();
    void Edit1Change();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void N2Click();
    void N3Click();
    void N4Click();
    void N15Click();
    void N36Click();
    void CpuUser1Click();
    void Cpu31Click();
    void N38Click();
    void N12Click();
    void N6Click();
    void N21Click();
    void N16Click();
    void N9Click();
    void User1Click();
    void Cpu1Click();
    void Mystring2Click();
    void User2Click();
    void Cpu2Click();
    void Mystring1Click();
    void N13Click();
    void N40Click();
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();
    void Timer5Timer();
    void Timer6Timer();
    void Timer7Timer();

    // Controls.
    QFrame* TabControl1 = nullptr;
    DialoguePane* RichEdit1 = nullptr;
    QFrame* TabControl2 = nullptr;
    InputField* Edit1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    // Menu: top-level menus and submenus are QMenus, items QActions.
    QMenu* N1 = nullptr;
    QAction* N2 = nullptr;
    QAction* N3 = nullptr;
    QAction* N4 = nullptr;
    QMenu* N5 = nullptr;
    QAction* N6 = nullptr;
    QAction* N21 = nullptr;
    QAction* N16 = nullptr;
    QAction* N9 = nullptr;
    QAction* N15 = nullptr;
    QMenu* N7 = nullptr;
    QAction* User1 = nullptr;
    QAction* Cpu1 = nullptr;
    QAction* Mystring2 = nullptr;
    QAction* N36 = nullptr;
    QMenu* N10 = nullptr;
    QAction* User2 = nullptr;
    QAction* Cpu2 = nullptr;
    QAction* Mystring1 = nullptr;
    QAction* N8 = nullptr;
    QAction* N13 = nullptr;
    QAction* N14 = nullptr;
    QMenu* N37 = nullptr;
    QAction* CpuUser1 = nullptr;
    QAction* Cpu31 = nullptr;
    QAction* N38 = nullptr;
    QAction* N39 = nullptr;
    QAction* N40 = nullptr;
    QMenu* N11 = nullptr;
    QAction* N12 = nullptr;

    // Timers. The state refresher and the reserved-character guard tick when
    // what they look at changes; the others are Qt timers.
    EventTimer Timer1;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;
    QTimer* Timer4 = nullptr;
    EventTimer Timer5;
    QTimer* Timer6 = nullptr;
    QTimer* Timer7 = nullptr;

    // The editor dialog and the about box, created hidden after the window.
    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;

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
    void createDialogs(const FileStore& files, Clock& clock);
    // While the editor or the about box is open, the window takes no input
    // and its state refresher rests.
    void holdForDialog();
    void releaseFromDialog();
    // Host
    void playCue(Cue cue) override;
    void clearInput() override;
    void startClosing() override;

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
    void setSelfTalkPeriod(int milliseconds);

    // Appearance: the colour and font dialogs keep their last choice (the
    // engine's Appearance and inputFont_); the controls show it.
    void clearDefaultsMark();
    // The background colour dialog; a confirmed colour becomes its colour.
    std::optional<Color> chooseBackgroundColour();
    void chooseLineColour(Color& dialogColour);
    void chooseLineFont(FontSpec& dialogFont);
    void setWindowColour(Color color);
    void setPaneBackground(Color color);
    void setInputBackground(Color color);
    void setInputTextColour(Color color);
    void setInputFont(const FontSpec& font);
    static void setButtonTextColour(QToolButton* button, Color color);
    void applyLayout(const LayoutSizes& sizes);

    // Runs one step of a handler. A file error stops it and is shown in the
    // standard error box; for a step that a timer repeats, only once until it
    // succeeds again. Returns whether the step completed.
    bool runStep(const std::function<void()>& step, RepeatedFailure* repeated = nullptr);
    void showFileError(const FileError& error);

    SoundPlayer& sound_;
    Dialogs& dialogs_;
    Engine engine_;
    std::array<QLabel*, 3> statusPanels_{};
    int closingTicks_ = 0;
    int scanPosition_ = 0;
    RepeatedFailure startupLoadFailure_;
    RepeatedFailure idleRemarkFailure_;
    RepeatedFailure selfTalkFailure_;
    FontSpec inputFont_;
    QPoint normalPosition_; // where the normal layout comes back
};

} // namespace besedka

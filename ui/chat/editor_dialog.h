#pragma once

#include "chat/tool_dialog.h"
#include "files/kb_paths.h"

#include <string>

class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTimer;

namespace besedka {

class Clock;
class Random;
class SpinEdit;

// The editor dialog "Редактор": the path that self-talk replies are written
// to and the self-talk period. It keeps no copy of its fields: what is typed
// is in force at once. The main window is held inactive while it is open
// (opened() and closed()).
class EditorDialog final : public ToolDialog {
    Q_OBJECT

  public:
    static constexpr const char* kDefaultPath = paths::kExchange;
    static constexpr int kDefaultInterval = 1000;
    static constexpr int kMinInterval = 1;
    static constexpr int kMaxInterval = 60000;

    // `random` and `clock` are the program's generator and clock, which the
    // focus timer re-seeds from.
    EditorDialog(Random& random, Clock& clock, QWidget* parent = nullptr);

    // Shows the dialog (centred on the desktop the first time), enabled and
    // active, and starts its focus timer. Emits opened() first.
    void openEditor();
    // The restore-defaults command's part: sets both fields to their design
    // values without clearing the defaults mark.
    void restoreDefaults();

    // The path field's text in Windows-1251, as the exchange file is written.
    std::string path() const;
    // The interval field's value in milliseconds, limited to 1..60000; a text
    // that is not a number counts as 1.
    int interval() const;

  signals:
    // The dialog is about to show: the main window stops its state refresher
    // and disables itself.
    void opened();
    // The dialog has closed, by either button or its close box: the main
    // window starts its state refresher again and enables itself.
    void closed();
    // A field changed other than by restoreDefaults(): the defaults mark
    // goes off.
    void defaultsMarkCleared();
    // The path field changed, by any means.
    void pathChanged();

  private:
    // Handlers.
    void confirm();
    void cancel();
    void moveFocus();
    void fieldEdited();

    // Controls.
    QFrame* bevel_ = nullptr;
    QGroupBox* pathGroup_ = nullptr;
    QLineEdit* pathField_ = nullptr;
    QGroupBox* intervalGroup_ = nullptr;
    SpinEdit* intervalField_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QTimer* focusTimer_ = nullptr;

    void closeFromFrame() override;
    void createControls();
    void connectControls();
    void closeEditor();

    Random& random_;
    Clock& clock_;
    bool restoringDefaults_ = false;
};

} // namespace besedka

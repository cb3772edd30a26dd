#pragma once

#include "chat/tool_dialog.h"

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace besedka {

class Dialogs;
class FileStore;

// The about box "О программе": the version, a picture, and a history panel
// that unfolds below with the text of "ReadMe.Txt". The main window is held
// inactive while it is open (opened() and closed()).
class AboutBox final : public ToolDialog {
    Q_OBJECT

  public:
    // Outer heights of the design: the client area plus a caption bar and
    // frame 27 pixels high, whatever the window manager draws.
    static constexpr int kFoldedHeight = 179;
    static constexpr int kUnfoldedHeight = 327;

    // "ReadMe.Txt" is read through `files`; a failure is shown through `dialogs`.
    AboutBox(const FileStore& files, Dialogs& dialogs, QWidget* parent = nullptr);

    // Folds the box and shows it (centred on the desktop the first time),
    // enabled and active. Emits opened() first.
    void openAbout();

    int outerHeight() const;
    // The restore-defaults command sets the folded height this way too.
    void setOuterHeight(int height);

  signals:
    // The box is about to show: the main window stops its state refresher
    // and disables itself.
    void opened();
    // The box has closed, by the version button or its close box: the main
    // window starts its state refresher again and enables itself.
    void closed();

  private:
    // Handlers.
    void closeAbout();
    void toggleHistory();

    // Controls.
    QFrame* upperPanel_ = nullptr;
    QFrame* bevel_ = nullptr;
    QToolButton* versionButton_ = nullptr;
    QLabel* picture_ = nullptr;
    QPushButton* historyButton_ = nullptr;
    QFrame* historyPanel_ = nullptr;
    QPlainTextEdit* history_ = nullptr;

    void closeFromFrame() override;
    void createUpperPanel();
    void createHistoryPanel();
    // Replaces the history with the file's text; false when it cannot be read.
    bool loadHistory();

    const FileStore& files_;
    Dialogs& dialogs_;
};

} // namespace besedka

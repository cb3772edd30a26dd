#pragma once

#include <QDialog>

namespace besedka {

// A small window of the program beside the main window (the editor dialog,
// the about box): a tool-window frame with a close box and no resizing, a
// fixed client size, centred on the desktop the first time it is shown.
// Only the window's own controls and its close box close it; Escape does not.
class ToolDialog : public QDialog {
    Q_OBJECT

  public:
    ToolDialog(const QString& caption, QSize clientSize, QWidget* parent);

    // The close box (and the platform's close key) close the window as the
    // derived class says.
    void reject() override;

  protected:
    virtual void closeFromFrame() = 0;
    void setClientSize(QSize size);
    // Shows the window enabled and active; centred on the desktop the first
    // time, where the user left it afterwards.
    void showAndActivate();
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void centreOnDesktop();

    bool placed_ = false;
};

} // namespace besedka

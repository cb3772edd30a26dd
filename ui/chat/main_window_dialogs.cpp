// The editor dialog and the about box beside the main window: made modal by
// hand, the window disabled and its state refresher stopped while one is open.
#include "chat/main_window.h"

#include "chat/about_box.h"
#include "chat/appearance_commands.h"
#include "chat/editor_dialog.h"

#include <QLineEdit>

namespace besedka {

void MainWindow::createDialogs(const FileStore& files, Clock& clock) {
    editor_ = new EditorDialog(engine_.random(), clock, this);
    editor_->setObjectName(QStringLiteral("editorDialog"));
    aboutBox_ = new AboutBox(files, dialogs_, this);
    aboutBox_->setObjectName(QStringLiteral("aboutBox"));

    connect(editor_, &EditorDialog::opened, this, [this] { holdForDialog(); });
    connect(editor_, &EditorDialog::closed, this, [this] { releaseFromDialog(); });
    connect(editor_, &EditorDialog::defaultsMarkCleared, this,
            [this] { appearance_->clearDefaultsMark(); });
    // The path field is in force as it changes, restore-defaults included.
    connect(editor_, &EditorDialog::pathChanged, this,
            [this] { engine_.setExchangeWritePath(editor_->path()); });
    engine_.setExchangeWritePath(editor_->path());

    connect(aboutBox_, &AboutBox::opened, this, [this] { holdForDialog(); });
    connect(aboutBox_, &AboutBox::closed, this, [this] { releaseFromDialog(); });

    // Restoring the defaults restores the editor's and the about box's too.
    appearance_ = std::make_unique<AppearanceCommands>(
        engine_.appearance(), engine_.dialogue(), dialogs_,
        AppearanceTargets{this,
                          pane_,
                          input_,
                          {sayButton_, undoButton_, layoutButton_},
                          menu_.restoreDefaultsItem,
                          editor_,
                          aboutBox_});
}

void MainWindow::holdForDialog() {
    stateRefresher_.stop(); // it would move the focus into this window
    setEnabled(false);
}

void MainWindow::releaseFromDialog() {
    setEnabled(true);
    stateRefresher_.start();
    activateWindow();
}

void MainWindow::openEditor() {
    editor_->openEditor();
}

void MainWindow::openAbout() {
    aboutBox_->openAbout();
}

} // namespace besedka

// The editor dialog and the about box beside the main window: made modal by
// hand, the window disabled and its state refresher stopped while one is open.
#include "Unit1.h"

#include "Unit2.h"
#include "Unit3.h"

#include <QLineEdit>

namespace besedka {

void TForm1::createDialogs(const FileStore& files, Clock& clock) {
    Form2 = new TForm2(engine_.random(), clock, this);
    Form2->setObjectName(QStringLiteral("Form2"));
    Form3 = new TForm3(files, dialogs_, this);
    Form3->setObjectName(QStringLiteral("Form3"));

    connect(Form2, &TForm2::opened, this, [this] { holdForDialog(); });
    connect(Form2, &TForm2::closed, this, [this] { releaseFromDialog(); });
    connect(Form2, &TForm2::defaultsMarkCleared, this, [this] { clearDefaultsMark(); });
    // The path field is in force as it changes, restore-defaults included.
    connect(Form2->Edit1, &QLineEdit::textChanged, this,
            [this] { engine_.setExchangeWritePath(Form2->path()); });
    engine_.setExchangeWritePath(Form2->path());

    connect(Form3, &TForm3::opened, this, [this] { holdForDialog(); });
    connect(Form3, &TForm3::closed, this, [this] { releaseFromDialog(); });
}

void TForm1::holdForDialog() {
    Timer1.stop(); // it would move the focus into this window
    setEnabled(false);
}

void TForm1::releaseFromDialog() {
    setEnabled(true);
    Timer1.start();
    activateWindow();
}

void TForm1::N38Click() {
    Form2->openEditor();
}

void TForm1::N12Click() {
    Form3->openAbout();
}

} // namespace besedka

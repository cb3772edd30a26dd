// Appearance settings: the colours of the window, the pane, the input field
// and the button texts, the colours and fonts of the dialogue lines, the input
// font, and restoring the design values.
#include "chat/main_window.h"

#include "chat/about_box.h"
#include "chat/dialogue_pane.h"
#include "chat/editor_dialog.h"
#include "chat/input_field.h"
#include "common/colours.h"
#include "common/dialogs.h"
#include "common/font_dialog.h"

#include <QAction>
#include <QToolButton>

namespace besedka {
namespace {

constexpr int kInputFontSize = 8;

} // namespace

void MainWindow::clearDefaultsMark() {
    restoreDefaultsItem_->setChecked(false);
}

std::optional<Colour> MainWindow::chooseBackgroundColour(const QString& title) {
    Colour& dialogColour = engine_.appearance().backgroundColour;
    const auto chosen = dialogs_.chooseColour(this, dialogColour, title);
    if (chosen) {
        dialogColour = *chosen;
    }
    return chosen;
}

void MainWindow::setWindowColour(Colour colour) {
    setColour(this, QPalette::Window, toQColor(colour));
}

void MainWindow::setPaneBackground(Colour colour) {
    setColour(pane_, QPalette::Base, toQColor(colour));
}

void MainWindow::setInputBackground(Colour colour) {
    setColour(input_, QPalette::Base, toQColor(colour));
}

void MainWindow::setInputTextColour(Colour colour) {
    setTextColour(input_, QPalette::Text, toQColor(colour));
}

void MainWindow::setInputFont(const FontSpec& font) {
    FontSpec shown = font;
    shown.size = kInputFontSize;
    input_->setFont(toQFont(shown));
}

void MainWindow::setButtonTextColour(QToolButton* button, Colour colour) {
    setTextColour(button, QPalette::ButtonText, toQColor(colour));
}

// Each command clears the defaults mark before its dialog opens, whether the
// dialog is then confirmed or cancelled; a cancelled dialog changes nothing.

void MainWindow::chooseWindowColour() {
    clearDefaultsMark();
    if (const auto colour = chooseBackgroundColour()) {
        setWindowColour(*colour);
    }
}

void MainWindow::choosePaneColour() {
    clearDefaultsMark();
    if (const auto colour = chooseBackgroundColour()) {
        setPaneBackground(*colour);
    }
}

void MainWindow::chooseInputColour() {
    clearDefaultsMark();
    if (const auto colour = chooseBackgroundColour()) {
        setInputBackground(*colour);
    }
}

void MainWindow::chooseButtonTextColours() {
    clearDefaultsMark();
    // Three dialogs in a row, one per button, each whatever the one before;
    // each title names its button, since the dialogs look alike.
    for (QToolButton* button : {sayButton_, undoButton_, layoutButton_}) {
        const QString title =
            QStringLiteral("Цвет шрифтов кнопок на панели: «%1»").arg(button->text());
        if (const auto colour = chooseBackgroundColour(title)) {
            setButtonTextColour(button, *colour);
        }
    }
}

// A line colour chosen for user lines or replies also becomes the pane's
// current colour at once.
void MainWindow::chooseLineColour(Colour& dialogColour) {
    clearDefaultsMark();
    if (const auto colour = dialogs_.chooseColour(this, dialogColour, QString())) {
        dialogColour = *colour;
        engine_.dialogue().setInsertionColour(*colour);
    }
}

void MainWindow::chooseUserLineColour() {
    chooseLineColour(engine_.appearance().userColour);
}

void MainWindow::chooseReplyLineColour() {
    chooseLineColour(engine_.appearance().replyColour);
}

void MainWindow::chooseInputTextColour() {
    clearDefaultsMark();
    if (const auto colour = chooseBackgroundColour()) {
        setInputTextColour(*colour);
    }
}

// Likewise a line font: the pane's current face, size and style.
void MainWindow::chooseLineFont(FontSpec& dialogFont) {
    clearDefaultsMark();
    if (const auto font = dialogs_.chooseFont(this, dialogFont, false)) {
        dialogFont = *font;
        TextFormat format = engine_.dialogue().insertionFormat();
        format.font = *font;
        engine_.dialogue().setInsertionFormat(format);
    }
}

void MainWindow::chooseUserLineFont() {
    chooseLineFont(engine_.appearance().userFont);
}

void MainWindow::chooseReplyLineFont() {
    chooseLineFont(engine_.appearance().replyFont);
}

void MainWindow::chooseInputFont() {
    clearDefaultsMark();
    if (const auto font = dialogs_.chooseFont(this, inputFont_, true)) {
        inputFont_ = *font;
        inputFont_.size = kInputFontSize;
        setInputFont(inputFont_);
    }
}

void MainWindow::restoreDefaults() {
    restoreDefaultsItem_->setChecked(true);
    setWindowColour(kSilver);
    setPaneBackground(kSilver);
    setInputBackground(kSilver);
    // The input text turns bold in the face last chosen for it.
    setInputTextColour(kBlack);
    FontSpec inputShown = toFontSpec(input_->font());
    inputShown.bold = true;
    inputShown.italic = false;
    setInputFont(inputShown);
    for (QToolButton* button : {sayButton_, undoButton_, layoutButton_}) {
        setButtonTextColour(button, kBlack);
    }
    Appearance& dialogs = engine_.appearance();
    dialogs.backgroundColour = kBlack;
    dialogs.userColour = kBlack;
    dialogs.replyColour = kBlack;
    dialogs.userFont = FontSpec{};
    dialogs.replyFont = FontSpec{};
    // The input font dialog keeps its style.
    inputFont_.face = FontSpec{}.face;
    inputFont_.size = kInputFontSize;
    editor_->restoreDefaults(); // leaves the mark on
    aboutBox_->setOuterHeight(AboutBox::kFoldedHeight);
}

} // namespace besedka

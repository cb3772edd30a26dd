// Appearance settings: the colours of the window, the pane, the input field
// and the button texts, the colours and fonts of the dialogue lines, the input
// font, and restoring the design values.
#include "main_window.h"

#include "about_box.h"
#include "dialogs.h"
#include "dialogue_pane.h"
#include "editor_dialog.h"
#include "font_dialog.h"
#include "input_field.h"
#include "widget_colours.h"

#include <QAction>
#include <QToolButton>

namespace besedka {
namespace {

constexpr int kInputFontSize = 8;

} // namespace

void MainWindow::clearDefaultsMark() {
    restoreDefaultsItem_->setChecked(false);
}

std::optional<Color> MainWindow::chooseBackgroundColour(const QString& title) {
    Color& dialogColour = engine_.appearance().backgroundColor;
    const auto chosen = dialogs_.chooseColor(this, dialogColour, title);
    if (chosen) {
        dialogColour = *chosen;
    }
    return chosen;
}

void MainWindow::setWindowColour(Color color) {
    setColour(this, QPalette::Window, toQColor(color));
}

void MainWindow::setPaneBackground(Color color) {
    setColour(pane_, QPalette::Base, toQColor(color));
}

void MainWindow::setInputBackground(Color color) {
    setColour(input_, QPalette::Base, toQColor(color));
}

void MainWindow::setInputTextColour(Color color) {
    setTextColour(input_, QPalette::Text, toQColor(color));
}

void MainWindow::setInputFont(const FontSpec& font) {
    FontSpec shown = font;
    shown.size = kInputFontSize;
    input_->setFont(toQFont(shown));
}

void MainWindow::setButtonTextColour(QToolButton* button, Color color) {
    setTextColour(button, QPalette::ButtonText, toQColor(color));
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
void MainWindow::chooseLineColour(Color& dialogColour) {
    clearDefaultsMark();
    if (const auto colour = dialogs_.chooseColor(this, dialogColour, QString())) {
        dialogColour = *colour;
        engine_.dialogue().setInsertionColor(*colour);
    }
}

void MainWindow::chooseUserLineColour() {
    chooseLineColour(engine_.appearance().userColor);
}

void MainWindow::chooseReplyLineColour() {
    chooseLineColour(engine_.appearance().replyColor);
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
    dialogs.backgroundColor = kBlack;
    dialogs.userColor = kBlack;
    dialogs.replyColor = kBlack;
    dialogs.userFont = FontSpec{};
    dialogs.replyFont = FontSpec{};
    // The input font dialog keeps its style.
    inputFont_.face = FontSpec{}.face;
    inputFont_.size = kInputFontSize;
    editor_->restoreDefaults(); // leaves the mark on
    aboutBox_->setOuterHeight(AboutBox::kFoldedHeight);
}

} // namespace besedka

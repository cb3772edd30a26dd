// Appearance settings: the colours of the window, the pane, the input field
// and the button texts, the colours and fonts of the dialogue lines, the input
// font, and restoring the design values.
#include "Unit1.h"

#include "Unit2.h"
#include "Unit3.h"
#include "dialogs.h"
#include "dialogue_pane.h"
#include "font_dialog.h"
#include "input_field.h"
#include "widget_colours.h"

#include <QAction>
#include <QToolButton>

namespace besedka {
namespace {

constexpr int kInputFontSize = 8;

} // namespace

void TForm1::clearDefaultsMark() {
    N13->setChecked(false);
}

std::optional<Color> TForm1::chooseBackgroundColour() {
    Color& dialogColour = engine_.appearance().backgroundColor;
    const auto chosen = dialogs_.chooseColor(this, dialogColour);
    if (chosen) {
        dialogColour = *chosen;
    }
    return chosen;
}

void TForm1::setWindowColour(Color color) {
    setColour(this, QPalette::Window, toQColor(color));
}

void TForm1::setPaneBackground(Color color) {
    setColour(RichEdit1, QPalette::Base, toQColor(color));
}

void TForm1::setInputBackground(Color color) {
    setColour(Edit1, QPalette::Base, toQColor(color));
}

void TForm1::setInputTextColour(Color color) {
    setTextColour(Edit1, QPalette::Text, toQColor(color));
}

void TForm1::setInputFont(const FontSpec& font) {
    FontSpec shown = font;
    shown.size = kInputFontSize;
    Edit1->setFont(toQFont(shown));
}

void TForm1::setButtonTextColour(QToolButton* button, Color color) {
    setTextColour(button, QPalette::ButtonText, toQColor(color));
}

// Each command clears the defaults mark before its dialog opens, whether the
// dialog is then confirmed or cancelled; a cancelled dialog changes nothing.

void TForm1::N6Click() {
    clearDefaultsMark();
    if (const auto colour = chooseBackgroundColour()) {
        setWindowColour(*colour);
    }
}

void TForm1::N21Click() {
    clearDefaultsMark();
    if (const auto colour = chooseBackgroundColour()) {
        setPaneBackground(*colour);
    }
}

void TForm1::N16Click() {
    clearDefaultsMark();
    if (const auto colour = chooseBackgroundColour()) {
        setInputBackground(*colour);
    }
}

void TForm1::N9Click() {
    clearDefaultsMark();
    // Three dialogs in a row, one per button, each whatever the one before.
    for (QToolButton* button : {SpeedButton1, SpeedButton2, SpeedButton3}) {
        if (const auto colour = chooseBackgroundColour()) {
            setButtonTextColour(button, *colour);
        }
    }
}

// A line colour chosen for user lines or replies also becomes the pane's
// current colour at once.
void TForm1::chooseLineColour(Color& dialogColour) {
    clearDefaultsMark();
    if (const auto colour = dialogs_.chooseColor(this, dialogColour)) {
        dialogColour = *colour;
        engine_.dialogue().setInsertionColor(*colour);
    }
}

void TForm1::User1Click() {
    chooseLineColour(engine_.appearance().userColor);
}

void TForm1::Cpu1Click() {
    chooseLineColour(engine_.appearance().replyColor);
}

void TForm1::Mystring2Click() {
    clearDefaultsMark();
    if (const auto colour = chooseBackgroundColour()) {
        setInputTextColour(*colour);
    }
}

// Likewise a line font: the pane's current face, size and style.
void TForm1::chooseLineFont(FontSpec& dialogFont) {
    clearDefaultsMark();
    if (const auto font = dialogs_.chooseFont(this, dialogFont, false)) {
        dialogFont = *font;
        TextFormat format = engine_.dialogue().insertionFormat();
        format.font = *font;
        engine_.dialogue().setInsertionFormat(format);
    }
}

void TForm1::User2Click() {
    chooseLineFont(engine_.appearance().userFont);
}

void TForm1::Cpu2Click() {
    chooseLineFont(engine_.appearance().replyFont);
}

void TForm1::Mystring1Click() {
    clearDefaultsMark();
    if (const auto font = dialogs_.chooseFont(this, inputFont_, true)) {
        inputFont_ = *font;
        inputFont_.size = kInputFontSize;
        setInputFont(inputFont_);
    }
}

void TForm1::N13Click() {
    N13->setChecked(true);
    setWindowColour(kSilver);
    setPaneBackground(kSilver);
    setInputBackground(kSilver);
    // The input text turns bold in the face last chosen for it.
    setInputTextColour(kBlack);
    FontSpec inputShown = toFontSpec(Edit1->font());
    inputShown.bold = true;
    inputShown.italic = false;
    setInputFont(inputShown);
    for (QToolButton* button : {SpeedButton1, SpeedButton2, SpeedButton3}) {
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
    Form2->restoreDefaults(); // leaves the mark on
    Form3->setOuterHeight(TForm3::kFoldedHeight);
}

} // namespace besedka

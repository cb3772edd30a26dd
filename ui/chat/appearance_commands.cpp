#include "chat/appearance_commands.h"

#include "chat/about_box.h"
#include "chat/dialogue_pane.h"
#include "chat/editor_dialog.h"
#include "chat/input_field.h"
#include "common/colours.h"
#include "common/dialogs.h"
#include "common/font_dialog.h"
#include "talk/appearance.h"
#include "talk/dialogue.h"

#include <QAction>
#include <QToolButton>

namespace besedka {
namespace {

constexpr int kInputFontSize = 8;

} // namespace

AppearanceCommands::AppearanceCommands(Appearance& dialogChoices, Dialogue& dialogue,
                                       Dialogs& dialogs, const AppearanceTargets& targets)
    : dialogChoices_(dialogChoices), dialogue_(dialogue), dialogs_(dialogs), targets_(targets) {}

void AppearanceCommands::clearDefaultsMark() {
    targets_.defaultsItem->setChecked(false);
}

std::optional<Colour> AppearanceCommands::chooseBackgroundColour(const QString& title) {
    Colour& dialogColour = dialogChoices_.backgroundColour;
    const auto chosen = dialogs_.chooseColour(targets_.window, dialogColour, title);
    if (chosen) {
        dialogColour = *chosen;
    }
    return chosen;
}

void AppearanceCommands::setWindowColour(Colour colour) {
    setColour(targets_.window, QPalette::Window, toQColor(colour));
}

void AppearanceCommands::setPaneBackground(Colour colour) {
    setColour(targets_.pane, QPalette::Base, toQColor(colour));
}

void AppearanceCommands::setInputBackground(Colour colour) {
    setColour(targets_.input, QPalette::Base, toQColor(colour));
}

void AppearanceCommands::setInputTextColour(Colour colour) {
    setTextColour(targets_.input, QPalette::Text, toQColor(colour));
}

void AppearanceCommands::setInputFont(const FontSpec& font) {
    FontSpec shown = font;
    shown.size = kInputFontSize;
    targets_.input->setFont(toQFont(shown));
}

void AppearanceCommands::setButtonTextColour(QToolButton* button, Colour colour) {
    setTextColour(button, QPalette::ButtonText, toQColor(colour));
}

// Each command clears the defaults mark before its dialog opens, whether the
// dialog is then confirmed or cancelled; a cancelled dialog changes nothing.

void AppearanceCommands::chooseWindowColour() {
    clearDefaultsMark();
    if (const auto colour = chooseBackgroundColour()) {
        setWindowColour(*colour);
    }
}

void AppearanceCommands::choosePaneColour() {
    clearDefaultsMark();
    if (const auto colour = chooseBackgroundColour()) {
        setPaneBackground(*colour);
    }
}

void AppearanceCommands::chooseInputColour() {
    clearDefaultsMark();
    if (const auto colour = chooseBackgroundColour()) {
        setInputBackground(*colour);
    }
}

void AppearanceCommands::chooseButtonTextColours() {
    clearDefaultsMark();
    // Three dialogs in a row, one per button, each whatever the one before;
    // each title names its button, since the dialogs look alike.
    for (QToolButton* button : targets_.buttons) {
        const QString title =
            QStringLiteral("Цвет шрифтов кнопок на панели: «%1»").arg(button->text());
        if (const auto colour = chooseBackgroundColour(title)) {
            setButtonTextColour(button, *colour);
        }
    }
}

// A line colour chosen for user lines or replies also becomes the pane's
// current colour at once.
void AppearanceCommands::chooseLineColour(Colour& dialogColour) {
    clearDefaultsMark();
    if (const auto colour = dialogs_.chooseColour(targets_.window, dialogColour, QString())) {
        dialogColour = *colour;
        dialogue_.setInsertionColour(*colour);
    }
}

void AppearanceCommands::chooseUserLineColour() {
    chooseLineColour(dialogChoices_.userColour);
}

void AppearanceCommands::chooseReplyLineColour() {
    chooseLineColour(dialogChoices_.replyColour);
}

void AppearanceCommands::chooseInputTextColour() {
    clearDefaultsMark();
    if (const auto colour = chooseBackgroundColour()) {
        setInputTextColour(*colour);
    }
}

// Likewise a line font: the pane's current face, size and style.
void AppearanceCommands::chooseLineFont(FontSpec& dialogFont) {
    clearDefaultsMark();
    if (const auto font = dialogs_.chooseFont(targets_.window, dialogFont, false)) {
        dialogFont = *font;
        TextFormat format = dialogue_.insertionFormat();
        format.font = *font;
        dialogue_.setInsertionFormat(format);
    }
}

void AppearanceCommands::chooseUserLineFont() {
    chooseLineFont(dialogChoices_.userFont);
}

void AppearanceCommands::chooseReplyLineFont() {
    chooseLineFont(dialogChoices_.replyFont);
}

void AppearanceCommands::chooseInputFont() {
    clearDefaultsMark();
    if (const auto font = dialogs_.chooseFont(targets_.window, inputFont_, true)) {
        inputFont_ = *font;
        inputFont_.size = kInputFontSize;
        setInputFont(inputFont_);
    }
}

void AppearanceCommands::restoreDefaults() {
    targets_.defaultsItem->setChecked(true);
    setWindowColour(kSilver);
    setPaneBackground(kSilver);
    setInputBackground(kSilver);
    // The input text turns bold in the face last chosen for it.
    setInputTextColour(kBlack);
    FontSpec inputShown = toFontSpec(targets_.input->font());
    inputShown.bold = true;
    inputShown.italic = false;
    setInputFont(inputShown);
    for (QToolButton* button : targets_.buttons) {
        setButtonTextColour(button, kBlack);
    }
    dialogChoices_.backgroundColour = kBlack;
    dialogChoices_.userColour = kBlack;
    dialogChoices_.replyColour = kBlack;
    dialogChoices_.userFont = FontSpec{};
    dialogChoices_.replyFont = FontSpec{};
    // The input font dialog keeps its style.
    inputFont_.face = FontSpec{}.face;
    inputFont_.size = kInputFontSize;
    targets_.editor->restoreDefaults(); // leaves the mark on
    targets_.aboutBox->setOuterHeight(AboutBox::kFoldedHeight);
}

} // namespace besedka

#pragma once

#include "talk/text_format.h"

#include <QString>

#include <array>
#include <optional>

class QAction;
class QToolButton;
class QWidget;

namespace besedka {

class AboutBox;
class Dialogs;
class Dialogue;
class DialoguePane;
class EditorDialog;
class InputField;
struct Appearance;

// What the appearance commands change.
struct AppearanceTargets {
    QWidget* window;
    DialoguePane* pane;
    InputField* input;
    std::array<QToolButton*, 3> buttons; // Say, Undo, Layout: the order of their dialogs
    QAction* defaultsItem;               // its check mark says nothing was changed
    EditorDialog* editor;
    AboutBox* aboutBox;
};

// The settings menu's appearance commands: the colours of the window, the
// pane, the input field and the button texts, the colours and fonts of the
// dialogue lines, the input font, and restoring the design values. The colour
// and font dialogs keep their last choice (the engine's Appearance and the
// input font); the controls show it.
class AppearanceCommands {
  public:
    AppearanceCommands(Appearance& dialogChoices, Dialogue& dialogue, Dialogs& dialogs,
                       const AppearanceTargets& targets);

    void chooseWindowColour();
    void choosePaneColour();
    void chooseInputColour();
    void chooseButtonTextColours();
    void chooseUserLineColour();
    void chooseReplyLineColour();
    void chooseInputTextColour();
    void chooseUserLineFont();
    void chooseReplyLineFont();
    void chooseInputFont();
    void restoreDefaults();
    void clearDefaultsMark();

    // The input font dialog's font: face and style of the input field.
    const FontSpec& inputFontChoice() const { return inputFont_; }

  private:
    // The background colour dialog; a confirmed colour becomes its colour.
    std::optional<Colour> chooseBackgroundColour(const QString& title = QString());
    void chooseLineColour(Colour& dialogColour);
    void chooseLineFont(FontSpec& dialogFont);
    void setWindowColour(Colour colour);
    void setPaneBackground(Colour colour);
    void setInputBackground(Colour colour);
    void setInputTextColour(Colour colour);
    void setInputFont(const FontSpec& font);
    static void setButtonTextColour(QToolButton* button, Colour colour);

    Appearance& dialogChoices_;
    Dialogue& dialogue_;
    Dialogs& dialogs_;
    AppearanceTargets targets_;
    FontSpec inputFont_;
};

} // namespace besedka

#pragma once

#include "talk/text_format.h"

namespace besedka {

// The colours and fonts the engine writes pane lines in; the window's
// appearance commands change them.
struct Appearance {
    Colour backgroundColour = kBlack; // background colour dialog; idle remarks use it
    Colour userColour = kBlack;       // user-line colour dialog
    Colour replyColour = kBlack;      // reply colour dialog
    FontSpec userFont;                // user-line font dialog
    FontSpec replyFont;               // reply font dialog
};

} // namespace besedka

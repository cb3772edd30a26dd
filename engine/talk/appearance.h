#pragma once

#include "talk/text_format.h"

namespace besedka {

// The colours and fonts the engine writes pane lines in; the window's
// appearance commands change them.
struct Appearance {
    Color backgroundColor = kBlack; // background colour dialog; idle remarks use it
    Color userColor = kBlack;       // user-line colour dialog
    Color replyColor = kBlack;      // reply colour dialog
    FontSpec userFont;              // user-line font dialog
    FontSpec replyFont;             // reply font dialog
};

} // namespace besedka

#pragma once

#include "text/text_lines.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// One utterance of a dialogue text, in Windows-1251.
struct Utterance {
    std::string_view text;  // trimmed; never empty
    std::uint32_t line = 0; // where it stands, as a text editor counts
    bool opensDialogue = false;
    bool lossy = false; // it had characters without a Windows-1251 form
};

// The dialogues of a text, one utterance a line. A blank line starts a new
// dialogue; a leading dialogue dash ("— ", "– ", "- ") is dropped. Lines of
// the program's own dialogue log ("USER:     …", "CPU:     …") are
// utterances without their prefix; each block of a log (its line of 80 "-")
// is a dialogue of its own, whose header lines are skipped and whose lines
// without a prefix continue the utterance before them.
struct DialogueText {
    std::vector<Utterance> utterances;
    // What the utterances view into: the lines read, and utterances joined
    // from several lines.
    TextLines lines;
    std::deque<std::string> joined;
};

// Reads RTF, UTF-8 (with or without a byte order mark) or Windows-1251 plain
// text, as the knowledge-base files are read. Never fails: any bytes give
// some dialogues.
DialogueText readDialogueText(std::string bytes);

} // namespace besedka

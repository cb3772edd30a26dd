#pragma once

#include "curation/refusal.h"
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
    bool lossy = false;   // it had characters without a Windows-1251 form
    bool control = false; // it holds a control character (TAB aside)
};

// The dialogues of a text, one utterance a line, trimmed of spaces, TABs and
// no-break spaces. A blank line, a line of only "%" (a fortune file) or one
// of only dashes starts a new dialogue. A leading dialogue dash ("—", "–",
// "―", "--" or "-", with or without a space after it) is dropped, and a line
// that starts further in than the dashed line before it continues that
// utterance (even with a dash, when the utterance broke off mid-sentence).
// An indented dashed line after undashed ones names a saying's author (as
// fortune files sign one) and is passed over. When every utterance of
// a dialogue starts with a speaker's name and a colon ("ГАМЛЕТ: …", "[12:30] Вася: …"), the names
// are dropped. Lines of the program's own dialogue log ("USER:     …", "CPU:     …") are utterances
// without their prefix; each block of a log (its line of 80 "-") is a dialogue of its own, whose
// header lines are skipped and whose lines without a prefix continue the utterance before them.
struct DialogueText {
    std::vector<Utterance> utterances;
    // What the utterances view into: the lines read, and utterances joined
    // from several lines.
    TextLines lines;
    std::deque<std::string> joined;
    // Why the text as a whole cannot be taught: an export document, or bytes
    // that are mostly not text. It then has no utterances. The same as a
    // code and its facts, when `refusal` is not empty.
    std::string refusal;
    Refusal refusalCode = Refusal::NotAText;
    RefusalFacts refusalFacts;
};

// Reads RTF or a plain text in any encoding decodePlainText() tells apart.
// Never fails: any bytes give some dialogues or a refusal.
DialogueText readDialogueText(std::string bytes);

// The utterance without quotes that enclose all of it («…», “…”, „…“ or
// "…") and the end punctuation after them, as its key is made; the utterance
// as it is when no quotes enclose it.
std::string_view withoutEnclosingQuotes(std::string_view utterance);

} // namespace besedka

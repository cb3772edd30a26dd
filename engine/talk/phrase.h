#pragma once

#include "text/russian.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace besedka {

// The longest phrase the chat takes: its input field holds no more
// characters, and the terminal chat cuts a longer line there.
inline constexpr std::size_t kLongestTypedPhrase = 255;

// The phrase as shown in the pane and the transcript: first character
// uppercased, a final "," made ".", a final ".", "!" or "?" kept, anything
// else followed by ".". Nothing is trimmed.
std::string shownPhrase(std::string_view phrase);

// The shown phrase as learning stores it: a stored line must never split in
// two when its file is read back, so line breaks directly before the final "."
// are dropped and every other line break (CR LF, CR or LF) becomes one space.
// That final "." goes too when the text before the line breaks already ends a
// sentence (".", "!", "?" or the ellipsis, byte 0x85): a reply read back from the
// exchange file ends in CR LF, which the end fix followed by a "." of its own.
std::string learnedText(std::string_view shown);

// Whether the phrase holds a line break, as only a phrase read from the
// exchange file can.
bool holdsLineBreak(std::string_view phrase);

// The phrase with every character uppercased and its ending untouched.
inline std::string phraseKey(std::string_view phrase) {
    return cyrillicUpper(phrase);
}

} // namespace besedka

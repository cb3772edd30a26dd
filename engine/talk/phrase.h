#pragma once

#include "text/russian.h"

#include <string>
#include <string_view>

namespace besedka {

// The phrase as shown in the pane and the transcript: first character
// uppercased, a final "," made ".", a final ".", "!" or "?" kept, anything
// else followed by ".". Nothing is trimmed.
std::string shownPhrase(std::string_view phrase);

// The shown phrase as learning stores it: a stored line must never split in
// two when its file is read back, so line breaks directly before the final "."
// are dropped and every other line break (CR LF, CR or LF) becomes one space.
std::string learnedText(std::string_view shown);

// The phrase with every character uppercased and its ending untouched.
inline std::string phraseKey(std::string_view phrase) {
    return cyrillicUpper(phrase);
}

} // namespace besedka

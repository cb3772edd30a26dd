#pragma once

#include <string>
#include <string_view>

namespace besedka {

// The program's only case mapping: а..я -> А..Я and ё -> Ё, byte by byte in
// Windows-1251. Latin letters and every other byte stay as they are.
char cyrillicUpper(char c);
std::string cyrillicUpper(std::string_view text);

// The phrase as shown in the pane and the transcript: first character
// uppercased, a final "," made ".", a final ".", "!" or "?" kept, anything
// else followed by ".". Nothing is trimmed.
std::string shownPhrase(std::string_view phrase);

// The phrase with every character uppercased and its ending untouched.
inline std::string phraseKey(std::string_view phrase) {
    return cyrillicUpper(phrase);
}

} // namespace besedka

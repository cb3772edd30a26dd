#include "hub/hub_phrase.h"

#include "talk/phrase.h"
#include "text/cp1251.h"

namespace besedka {

std::variant<std::string, TurnError> chatPhrase(std::string_view utf8) {
    std::string phrase = utf8ToCp1251Dropping(utf8);
    std::string kept;
    kept.reserve(phrase.size());
    for (const char c : phrase) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r' || c == '\n') {
            kept += ' ';
        } else if (byte >= 0x20 || c == '\t') {
            kept += c;
        }
    }
    if (kept.size() > kLongestTypedPhrase) {
        kept.resize(kLongestTypedPhrase);
    }
    if (kept.empty()) {
        return TurnError{TurnErrorCode::NothingToSay,
                         "the text holds nothing the chat can take (characters Windows-1251 "
                         "cannot hold are left out)"};
    }
    if (kept.find_first_of("^_;") != std::string::npos) {
        return TurnError{TurnErrorCode::ReservedCharacters,
                         "\"^\", \"_\" and \";\" are reserved for the knowledge tree's lines"};
    }
    return kept;
}

} // namespace besedka

#include "irc/addressing.h"

namespace besedka::irc {
namespace {

std::string_view withoutLeadingSpaces(std::string_view text) {
    text.remove_prefix(std::min(text.find_first_not_of(' '), text.size()));
    return text;
}

} // namespace

std::optional<std::string_view> addressedText(std::string_view text, std::string_view nick,
                                              CaseMapping mapping) {
    text = withoutLeadingSpaces(text);
    if (nick.empty() || text.size() <= nick.size() ||
        !sameName(text.substr(0, nick.size()), nick, mapping)) {
        return std::nullopt;
    }
    const char mark = text[nick.size()];
    if (mark != ':' && mark != ',') {
        return std::nullopt;
    }
    return withoutLeadingSpaces(text.substr(nick.size() + 1));
}

} // namespace besedka::irc

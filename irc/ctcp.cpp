#include "irc/ctcp.h"

namespace besedka::irc {

constexpr char kDelimiter = '\x01';

std::optional<CtcpRequest> parseCtcp(std::string_view text) {
    if (!text.starts_with(kDelimiter)) {
        return std::nullopt;
    }
    text.remove_prefix(1);
    text = text.substr(0, text.find(kDelimiter));
    const std::size_t space = text.find(' ');
    CtcpRequest request;
    request.command = text.substr(0, space);
    if (space != std::string_view::npos) {
        request.argument = text.substr(space + 1);
    }
    return request;
}

std::string ctcpText(std::string_view command, std::string_view argument) {
    std::string text(1, kDelimiter);
    text += command;
    if (!argument.empty()) {
        text += ' ';
        text += argument;
    }
    text += kDelimiter;
    return text;
}

} // namespace besedka::irc

#include "irc/message.h"

#include <algorithm>

namespace besedka::irc {
namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isCommand(std::string_view word) {
    if (word.size() == 3 && std::all_of(word.begin(), word.end(), isDigit)) {
        return true;
    }
    return !word.empty() && std::all_of(word.begin(), word.end(), isLetter);
}

// The next space-delimited word of `rest`, with `rest` moved past it and the
// spaces after it.
std::string_view takeWord(std::string_view& rest) {
    const std::size_t end = std::min(rest.find(' '), rest.size());
    const std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    return word;
}

bool holdsLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace

std::string_view Message::param(std::size_t index) const {
    return index < params.size() ? std::string_view(params[index]) : std::string_view();
}

std::optional<Message> parseMessage(std::string_view line) {
    std::string_view rest = line;
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    Message message;
    if (rest.starts_with('@')) {
        rest.remove_prefix(1);
        message.tags = takeWord(rest);
    }
    if (rest.starts_with(':')) {
        rest.remove_prefix(1);
        message.prefix = takeWord(rest);
    }
    const std::string_view command = takeWord(rest);
    if (!isCommand(command)) {
        return std::nullopt;
    }
    message.command = command;
    while (!rest.empty()) {
        if (rest.starts_with(':')) {
            message.params.emplace_back(rest.substr(1));
            break;
        }
        message.params.emplace_back(takeWord(rest));
    }
    return message;
}

std::string_view prefixNick(std::string_view prefix) {
    return prefix.substr(0, prefix.find_first_of("!@"));
}

std::optional<std::string> buildLine(std::string_view command,
                                     const std::vector<std::string>& params) {
    if (!isCommand(command)) {
        return std::nullopt;
    }
    std::string line(command);
    for (std::size_t i = 0; i < params.size(); ++i) {
        const std::string& param = params[i];
        if (holdsLineBreakOrNul(param)) {
            return std::nullopt;
        }
        const bool needsColon =
            param.empty() || param.find(' ') != std::string::npos || param.starts_with(':');
        if (needsColon && i + 1 < params.size()) {
            return std::nullopt;
        }
        line += needsColon ? " :" : " ";
        line += param;
    }
    return line;
}

} // namespace besedka::irc

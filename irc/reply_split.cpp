#include "irc/reply_split.h"

#include <algorithm>

namespace besedka::irc {
namespace {

// Limits most servers keep; a host name is at most 63 bytes a label and a
// cloak rarely longer than a full name.
constexpr std::size_t kLongestUser = 10;
constexpr std::size_t kLongestHost = 63;

std::size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

// The UTF-8 characters of `text`, each as its bytes (a broken sequence
// byte by byte).
std::vector<std::string_view> characters(std::string_view text) {
    std::vector<std::string_view> result;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t length = sequenceLength(static_cast<unsigned char>(text[at]));
        if (at + length > text.size()) {
            length = 1;
        }
        for (std::size_t i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) {
                length = 1;
                break;
            }
        }
        result.push_back(text.substr(at, length));
        at += length;
    }
    return result;
}

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

void splitLine(std::string_view line, std::size_t budget, Encoding encoding,
               std::vector<std::string>& pieces) {
    const std::vector<std::string_view> chars = characters(line);
    std::size_t begin = 0;
    while (begin < chars.size()) {
        if (chars[begin] == " ") {
            ++begin;
            continue;
        }
        std::size_t bytes = 0;
        std::size_t end = begin;
        std::size_t lastSpace = 0; // where a piece may end, 0 for nowhere
        while (end < chars.size()) {
            const std::size_t size = encodedSize(chars[end], encoding);
            if (bytes + size > budget) {
                break;
            }
            if (chars[end] == " ") {
                lastSpace = end;
            }
            bytes += size;
            ++end;
        }
        if (end == begin) {
            ++end; // a budget below one character: the character alone
        } else if (end < chars.size() && chars[end] != " " && lastSpace > begin) {
            end = lastSpace;
        }
        std::string piece;
        for (std::size_t i = begin; i < end; ++i) {
            piece += chars[i];
        }
        if (std::string text = trimmed(piece); !text.empty()) {
            pieces.push_back(std::move(text));
        }
        begin = end;
    }
}

} // namespace

std::size_t textBudget(std::string_view ownPrefix, std::string_view command,
                       std::string_view target, std::string_view lead, Encoding encoding) {
    // ":prefix COMMAND target :lead" and CR LF around the text.
    const std::size_t taken = 1 + encodedSize(ownPrefix, encoding) + 1 + command.size() + 1 +
                              encodedSize(target, encoding) + 2 + encodedSize(lead, encoding) + 2;
    return taken >= kMaxLineBytes ? 0 : kMaxLineBytes - taken;
}

std::string longestPrefixFor(std::string_view nick) {
    return std::string(nick) + "!~" + std::string(kLongestUser, 'u') + "@" +
           std::string(kLongestHost, 'h');
}

std::vector<std::string> splitText(std::string_view text, std::size_t budget, Encoding encoding) {
    std::vector<std::string> pieces;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", begin), text.size());
        splitLine(text.substr(begin, end - begin), std::max<std::size_t>(budget, 1), encoding,
                  pieces);
        begin = end + 1;
    }
    return pieces;
}

} // namespace besedka::irc

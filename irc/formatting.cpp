#include "irc/formatting.h"

namespace besedka::irc {
namespace {

constexpr char kColour = '\x03';
constexpr char kHexColour = '\x04';

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// How many characters from `at` satisfy `test`, at most `limit`.
std::size_t countWhile(std::string_view text, std::size_t at, std::size_t limit,
                       bool (*test)(char)) {
    std::size_t count = 0;
    while (count < limit && at + count < text.size() && test(text[at + count])) {
        ++count;
    }
    return count;
}

// The length of a colour's numbers after its code at `at`: "fg" or "fg,bg".
// A comma without a background after it is text.
std::size_t colourLength(std::string_view text, std::size_t at, std::size_t digits,
                         bool (*test)(char)) {
    const std::size_t foreground = countWhile(text, at, digits, test);
    if (foreground == 0) {
        return 0;
    }
    const std::size_t comma = at + foreground;
    if (comma < text.size() && text[comma] == ',') {
        const std::size_t background = countWhile(text, comma + 1, digits, test);
        if (background > 0) {
            return foreground + 1 + background;
        }
    }
    return foreground;
}

} // namespace

std::string stripFormatting(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == kColour) {
            i += colourLength(text, i + 1, 2, isDigit);
        } else if (c == kHexColour) {
            i += colourLength(text, i + 1, 6, isHexDigit);
        } else if (c == '\t') {
            plain += ' ';
        } else if (static_cast<unsigned char>(c) >= 0x20 && c != '\x7F') {
            plain += c;
        }
    }
    return plain;
}

} // namespace besedka::irc

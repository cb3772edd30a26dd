#include "talk/phrase.h"

#include "text/russian.h"

namespace besedka {

std::string shownPhrase(std::string_view phrase) {
    std::string shown(phrase);
    if (shown.empty()) {
        return shown;
    }
    shown.front() = cyrillicUpper(shown.front());
    switch (shown.back()) {
    case ',':
        shown.back() = '.';
        break;
    case '.':
    case '!':
    case '?':
        break;
    default:
        shown += '.';
    }
    return shown;
}

namespace {

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

bool endsSentence(char c) {
    return c == '.' || c == '!' || c == '?' || c == '\x85';
}

} // namespace

bool holdsLineBreak(std::string_view phrase) {
    return phrase.find_first_of("\r\n") != std::string_view::npos;
}

std::string learnedText(std::string_view shown) {
    std::string out;
    out.reserve(shown.size());
    for (std::size_t i = 0; i < shown.size();) {
        if (!isLineBreak(shown[i])) {
            out += shown[i++];
            continue;
        }
        std::size_t end = i;
        while (end < shown.size() && isLineBreak(shown[end])) {
            ++end;
        }
        const bool beforeFinalDot = end + 1 == shown.size() && shown[end] == '.';
        if (beforeFinalDot && !out.empty() && endsSentence(out.back())) {
            return out;
        }
        if (!beforeFinalDot) {
            // CR LF is one line break; any other break character is one more.
            for (std::size_t k = i; k < end; ++k) {
                if (!(shown[k] == '\n' && k > i && shown[k - 1] == '\r')) {
                    out += ' ';
                }
            }
        }
        i = end;
    }
    return out;
}

} // namespace besedka

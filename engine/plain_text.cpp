#include "plain_text.h"

namespace besedka {

std::vector<std::string> splitAtLineBreaks(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') {
            ++end;
        }
        if (end == text.size()) {
            lines.emplace_back(text.substr(start));
            return lines;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
}

std::vector<std::string> splitPlainLines(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    std::vector<std::string> lines = splitAtLineBreaks(text);
    const char last = text.back();
    if (last == '\n' || last == '\r') {
        lines.pop_back();
    }
    return lines;
}

std::string joinCrLf(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const auto& line : lines) {
        size += line.size() + 2;
    }
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace besedka

#include "text/plain_text.h"

#include "text/cp1251.h"

#include <algorithm>
#include <cstring>

namespace besedka {
namespace {

// Where the line that starts at `start` ends: at its CR or LF, or at the end.
std::size_t lineBreakFrom(std::string_view text, std::size_t start) {
    const char* const from = text.data() + start;
    const std::size_t rest = text.size() - start;
    const auto* lf = static_cast<const char*>(std::memchr(from, '\n', rest));
    const std::size_t upTo = lf != nullptr ? static_cast<std::size_t>(lf - from) : rest;
    const auto* cr = static_cast<const char*>(std::memchr(from, '\r', upTo));
    return start + (cr != nullptr ? static_cast<std::size_t>(cr - from) : upTo);
}

} // namespace

TextLines plainTextLines(std::shared_ptr<const std::string> text) {
    TextLines lines;
    const std::string_view bytes = *text;
    lines.keep(text, bytes.size());
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = lineBreakFrom(bytes, start);
        lines.addView(bytes.substr(start, end - start));
        start = end + 1;
        if (end < bytes.size() && bytes[end] == '\r' && start < bytes.size() &&
            bytes[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

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

std::optional<std::string> utf8TextAsCp1251(std::string_view text) {
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark)) {
        return utf8ToCp1251(text.substr(byteOrderMark.size()));
    }
    // Plain ASCII reads the same either way.
    const auto firstHigh = std::find_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) > 0x7F; });
    if (firstHigh == text.end() ||
        !mostlyUtf8(text.substr(static_cast<std::size_t>(firstHigh - text.begin())))) {
        return std::nullopt;
    }
    return utf8ToCp1251(text);
}

} // namespace besedka

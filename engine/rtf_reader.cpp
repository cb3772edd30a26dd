#include "rtf.h"

#include <cctype>

namespace besedka {

// First version: reads what writeRtf writes.
std::optional<std::vector<std::string>> readRtf(std::string_view bytes) {
    if (!bytes.starts_with("{\\rtf")) {
        return std::nullopt;
    }
    std::vector<std::string> lines;
    std::string current;
    bool any = false;
    int depth = 0;
    int skipDepth = -1;
    std::size_t i = 0;
    auto hexValue = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c == '{') {
            ++depth;
            ++i;
        } else if (c == '}') {
            if (depth == skipDepth)
                skipDepth = -1;
            --depth;
            ++i;
        } else if (c == '\r' || c == '\n') {
            ++i;
        } else if (c == '\\') {
            ++i;
            if (i >= bytes.size())
                break;
            const char d = bytes[i];
            if (std::isalpha(static_cast<unsigned char>(d))) {
                std::size_t start = i;
                while (i < bytes.size() && std::isalpha(static_cast<unsigned char>(bytes[i])))
                    ++i;
                const std::string_view word = bytes.substr(start, i - start);
                if (i < bytes.size() &&
                    (bytes[i] == '-' || std::isdigit(static_cast<unsigned char>(bytes[i])))) {
                    ++i;
                    while (i < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[i])))
                        ++i;
                }
                if (i < bytes.size() && bytes[i] == ' ')
                    ++i;
                if (skipDepth >= 0)
                    continue;
                if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" ||
                    word == "info") {
                    skipDepth = depth;
                } else if (word == "par") {
                    lines.push_back(std::move(current));
                    current.clear();
                    any = false;
                } else if (word == "tab") {
                    current += '\t';
                    any = true;
                }
            } else if (d == '\'') {
                if (i + 2 < bytes.size() + 0 && hexValue(bytes[i + 1]) >= 0 &&
                    hexValue(bytes[i + 2]) >= 0) {
                    if (skipDepth < 0) {
                        current +=
                            static_cast<char>(hexValue(bytes[i + 1]) * 16 + hexValue(bytes[i + 2]));
                        any = true;
                    }
                    i += 3;
                } else {
                    ++i;
                }
            } else {
                if (skipDepth < 0 && (d == '\\' || d == '{' || d == '}')) {
                    current += d;
                    any = true;
                }
                ++i;
            }
        } else {
            if (skipDepth < 0 && depth > 0) {
                current += c;
                any = true;
            }
            ++i;
        }
    }
    if (any)
        lines.push_back(std::move(current));
    return lines;
}

} // namespace besedka

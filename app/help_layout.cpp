#include "help_layout.h"

#include <algorithm>

namespace besedka {

std::size_t columnsOf(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0U) != 0x80U; // not a continuation byte
    }));
}

std::string wrapped(std::string_view first, std::string_view text, std::size_t indent) {
    std::vector<std::string> words;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(' '), text.size());
        words.emplace_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return wrapped(first, words, indent);
}

std::string wrapped(std::string_view first, const std::vector<std::string>& words,
                    std::size_t indent) {
    std::string lines(first);
    std::size_t used = columnsOf(first.substr(first.rfind('\n') + 1)); // npos + 1 is 0
    bool lineEmpty = true;
    for (const std::string& word : words) {
        if (!lineEmpty && used + 1 + columnsOf(word) > kHelpWidth) {
            lines += '\n' + std::string(indent, ' ');
            used = indent;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            lines += ' ';
            ++used;
        }
        lines += word;
        used += columnsOf(word);
        lineEmpty = false;
    }
    return lines + '\n';
}

std::string helpEntry(std::string_view what, std::string_view summary) {
    const std::string line = "  " + std::string(what);
    const std::size_t width = columnsOf(line);
    const std::string gap = width + 2 <= kSummaryColumn ? std::string(kSummaryColumn - width, ' ')
                                                        : '\n' + std::string(kSummaryColumn, ' ');
    return wrapped(line + gap, summary, kSummaryColumn);
}

} // namespace besedka

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// The lines of a small record file the program writes itself (a backup's
// sizes, a restore's journal), each ended by "\n"; nothing when the last line
// has no end, which is a record cut short.
[[nodiscard]] inline std::optional<std::vector<std::string>> recordLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

} // namespace besedka

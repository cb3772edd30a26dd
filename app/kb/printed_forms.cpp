#include "kb/printed_forms.h"

#include "text/cp1251.h"

#include <algorithm>
#include <cctype>

namespace besedka::kb {

std::string numberedLine(std::size_t number, std::string_view line) {
    return std::to_string(number) + ": " + cp1251ToUtf8(line);
}

std::string shellQuoted(std::string_view word) {
    const auto plain = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
               std::string_view("/._-+=:,@%").find(c) != std::string_view::npos;
    };
    if (!word.empty() && std::all_of(word.begin(), word.end(), plain)) {
        return std::string(word);
    }
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string counted(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string alignedRows(const std::vector<SummaryRow>& rows) {
    std::size_t width = 0;
    for (const SummaryRow& row : rows) {
        width = std::max(width, row.label.size());
    }
    std::string text;
    for (const SummaryRow& row : rows) {
        text += row.label + ":" + std::string(width - row.label.size() + 1, ' ') + row.value + '\n';
    }
    return text;
}

} // namespace besedka::kb

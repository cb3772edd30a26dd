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

} // namespace besedka::kb

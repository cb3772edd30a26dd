#include "kb/terminal_question.h"

#include "text/cp1251.h"
#include "text/russian.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <unistd.h>

namespace besedka::kb {

bool inputIsTerminal() {
    return ::isatty(STDIN_FILENO) != 0;
}

bool confirmed(const std::string& question, std::ostream& out) {
    out << question << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        out << '\n';
        return false;
    }
    std::string upper = cyrillicUpper(utf8ToCp1251(answer));
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    });
    for (const char* yes : {"Y", "YES", "\xC4", "\xC4\xC0"}) { // Д, ДА
        if (upper == yes) {
            return true;
        }
    }
    return false;
}

} // namespace besedka::kb

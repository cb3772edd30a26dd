#include "kb/forget_report.h"

#include "kb/printed_forms.h"
#include "text/cp1251.h"

#include <algorithm>
#include <ostream>

namespace besedka::kb {

void printNumberedLines(const std::vector<NumberedLine>& lines, std::ostream& out) {
    for (const NumberedLine& line : lines) {
        out << numberedLine(line.number, line.text) << '\n';
    }
}

std::vector<std::string> linesAt(const std::vector<std::size_t>& numbers,
                                 const std::vector<NumberedLine>& shown) {
    std::vector<std::string> expected;
    for (const std::size_t number : numbers) {
        const auto at = std::find_if(shown.begin(), shown.end(), [number](const NumberedLine& l) {
            return l.number == number;
        });
        expected.push_back(at == shown.end() ? std::string() : at->text);
    }
    return expected;
}

std::string countedLines(const std::vector<NumberedLine>& lines) {
    std::string runs;
    for (std::size_t i = 0; i < lines.size();) {
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end].number == lines[end - 1].number + 1) {
            ++end;
        }
        runs += (runs.empty() ? "" : ", ") + std::to_string(lines[i].number);
        if (end - i > 1) {
            runs += "–" + std::to_string(lines[end - 1].number);
        }
        i = end;
    }
    const bool one = lines.size() == 1;
    return std::to_string(lines.size()) + (one ? " line (line " : " lines (lines ") + runs + ")";
}

std::string forgetCommand(const std::vector<std::size_t>& numbers,
                          const std::vector<NumberedLine>& shown, const Args& workdir) {
    const std::vector<std::string> expected = linesAt(numbers, shown);
    std::string command = "besedka kb forget";
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        command += " " + std::to_string(numbers[i]) + " --expect " +
                   shellQuoted(cp1251ToUtf8(expected[i]));
    }
    for (const std::string& word : workdir) {
        command += " " + shellQuoted(word);
    }
    return command;
}

} // namespace besedka::kb

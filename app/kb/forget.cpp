// kb forget: take learned lines back.
#include "kb/subcommands.h"

#include "curation/forget.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace besedka::kb {
namespace {

bool isNumber(std::string_view word) {
    return !word.empty() &&
           std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

struct ForgetArguments {
    ForgetRequest request;
    bool yes = false;
    Args workdir; // empty or the one WORKDIR
};

// "--expect LINE" follows the number it names; with one, every number needs
// one. A word that is no number may only be the last one, the WORKDIR; any
// other is blamed by name.
std::optional<ForgetArguments> parseForget(const Args& args, std::ostream& err) {
    ForgetArguments parsed;
    ForgetRequest& request = parsed.request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        const bool last = i + 1 == args.size();
        if (word == "--dry-run") {
            request.dryRun = true;
        } else if (word == "--yes") {
            parsed.yes = true;
        } else if (word == "--no-backup") {
            request.withoutBackup = true;
        } else if (word == "--expect" && i + 1 < args.size() &&
                   request.expected.size() + 1 == request.numbers.size()) {
            request.expected.push_back(utf8ToCp1251(args[++i]));
        } else if (isNumber(word)) {
            request.numbers.push_back(word.size() > 9 ? 0 : std::stoul(word));
        } else if (word.starts_with('-')) {
            usageError(err, "forget: unknown option \"" + word + "\"");
            return std::nullopt;
        } else if (!last || (request.numbers.empty() && !std::filesystem::exists(word))) {
            usageError(err, "forget: \"" + word + "\" is not a line number");
            return std::nullopt;
        } else {
            parsed.workdir.push_back(word);
        }
    }
    if (request.numbers.empty()) {
        usageError(err, "forget: no line numbers");
        return std::nullopt;
    }
    if (!request.expected.empty() && request.expected.size() != request.numbers.size()) {
        usageError(err, "forget: with --expect, give one after each number");
        return std::nullopt;
    }
    return parsed;
}

void printLines(const std::vector<NumberedLine>& lines, std::ostream& out) {
    for (const NumberedLine& line : lines) {
        out << numberedLine(line.number, line.text) << '\n';
    }
}

// The lines the numbers name now, as the lines a removal expects.
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

// "2 lines (lines 3–4, 9)": how many lines, and which, in runs.
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

std::string forgetCommand(const ForgetArguments& parsed, const std::vector<NumberedLine>& shown) {
    const ForgetRequest& request = parsed.request;
    const std::vector<std::string> expected = linesAt(request.numbers, shown);
    std::string command = "besedka kb forget";
    for (std::size_t i = 0; i < request.numbers.size(); ++i) {
        command += " " + std::to_string(request.numbers[i]) + " --expect " +
                   shellQuoted(cp1251ToUtf8(expected[i]));
    }
    for (const std::string& workdir : parsed.workdir) {
        command += " " + shellQuoted(workdir);
    }
    return command;
}

} // namespace

int forgetLines(const Args& args, std::ostream& out, std::ostream& err) {
    auto parsed = parseForget(args, err);
    if (!parsed) {
        return kUsageError;
    }
    const auto workdir = workdirArgument(parsed->workdir, 0, err);
    if (!workdir) {
        return kFailure;
    }
    return guarded(err, *workdir, [&] {
        FileStore files{PathMap(*workdir)};
        ForgetRequest& request = parsed->request;
        const bool ask = !request.dryRun && !parsed->yes && inputIsTerminal();
        if (request.dryRun || ask) {
            ForgetRequest preview = request;
            preview.dryRun = true;
            const auto shown = besedka::forgetLines(files, preview, feedbackOn(err));
            printLines(shown, out);
            if (request.dryRun) {
                err << "besedka kb: would remove " << countedLines(shown) << '\n';
                err << "besedka kb: to remove these lines while they are still there: "
                    << forgetCommand(*parsed, shown) << '\n';
                return kSuccess;
            }
            if (!confirmed("remove these " + std::to_string(shown.size()) + " lines?", out)) {
                return fail(err, "nothing removed");
            }
            request.expected = linesAt(request.numbers, shown);
        }
        const Forgotten removed = besedka::forget(files, request, feedbackOn(err));
        if (!ask) {
            printLines(removed.lines, out);
        }
        err << "besedka kb: removed " << countedLines(removed.lines) << "; "
            << (removed.backup ? "backup " + *removed.backup : "no backup (--no-backup)") << '\n';
        return kSuccess;
    });
}

} // namespace besedka::kb

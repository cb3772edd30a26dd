// kb forget: take learned lines back.
#include "kb/subcommands.h"
#include "text/cp1251.h"

#include "curation/forget.h"
#include "kb/forget_report.h"
#include "kb/guarded.h"
#include "kb/terminal_question.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace besedka::kb {
namespace {

// What the backup before a forget records: "перед: забыть строки 5, 7".
std::string forgetReason(const std::vector<std::size_t>& numbers) {
    std::string reason = numbers.size() == 1 ? "перед: забыть строку " : "перед: забыть строки ";
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        reason += (i == 0 ? "" : ", ") + std::to_string(numbers[i]);
    }
    return reason;
}

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
// one. A word that is no number may only be the last one, the WORKDIR.
std::optional<ForgetArguments> parseForget(const ParsedArgs& args, std::ostream& err) {
    ForgetArguments parsed;
    ForgetRequest& request = parsed.request;
    request.dryRun = args.has(kDryRun);
    request.withoutBackup = args.has(kNoBackup);
    parsed.yes = args.has(kYes);
    const Args& words = args.words;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == kExpect.name && request.expected.size() + 1 == request.numbers.size()) {
            request.expected.push_back(utf8ToCp1251(words[++i]));
        } else if (word == kExpect.name) {
            usageError(err, "forget: give --expect LINE right after the number it names");
            return std::nullopt;
        } else if (isNumber(word)) {
            request.numbers.push_back(word.size() > 9 ? 0 : std::stoul(word));
        } else if (i + 1 < words.size() ||
                   (request.numbers.empty() && !std::filesystem::exists(word))) {
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

} // namespace

int runForget(const ParsedArgs& args, std::ostream& out, std::ostream& err) {
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
            const auto shown = forgetLines(files, preview, feedbackOn(err));
            printNumberedLines(shown, out);
            if (request.dryRun) {
                err << "besedka kb: would remove " << countedLines(shown) << '\n';
                err << "besedka kb: to remove these lines while they are still there: "
                    << forgetCommand(request.numbers, shown, parsed->workdir) << '\n';
                return kSuccess;
            }
            if (!confirmed(shown.size() == 1
                               ? std::string("remove this line?")
                               : "remove these " + std::to_string(shown.size()) + " lines?",
                           out)) {
                return fail(err, "nothing removed");
            }
            request.expected = linesAt(request.numbers, shown);
        }
        const Forgotten removed =
            forget(files, request, feedbackOn(err, forgetReason(request.numbers)));
        if (!ask) {
            printNumberedLines(removed.lines, out);
        }
        err << "besedka kb: removed " << countedLines(removed.lines) << "; "
            << (removed.backup ? "backup " + *removed.backup : "no backup (--no-backup)") << '\n';
        return kSuccess;
    });
}

} // namespace besedka::kb

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
    Args workdir; // empty or the one WORKDIR
};

// A word that is no number may only be the last one, the WORKDIR; any other
// is blamed by name.
std::optional<ForgetArguments> parseForget(const Args& args, std::ostream& err) {
    ForgetArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        const bool last = i + 1 == args.size();
        if (word == "--dry-run") {
            parsed.request.dryRun = true;
        } else if (isNumber(word)) {
            parsed.request.numbers.push_back(word.size() > 9 ? 0 : std::stoul(word));
        } else if (word.starts_with('-')) {
            usageError(err, "forget: unknown option \"" + word + "\"");
            return std::nullopt;
        } else if (!last || (parsed.request.numbers.empty() && !std::filesystem::exists(word))) {
            usageError(err, "forget: \"" + word + "\" is not a line number");
            return std::nullopt;
        } else {
            parsed.workdir.push_back(word);
        }
    }
    if (parsed.request.numbers.empty()) {
        usageError(err, "forget: no line numbers");
        return std::nullopt;
    }
    return parsed;
}

} // namespace

int forgetLines(const Args& args, std::ostream& out, std::ostream& err) {
    const auto parsed = parseForget(args, err);
    if (!parsed) {
        return kUsageError;
    }
    const auto workdir = workdirArgument(parsed->workdir, 0, err);
    if (!workdir) {
        return kFailure;
    }
    return guarded(err, *workdir, [&] {
        FileStore files{PathMap(*workdir)};
        for (const NumberedLine& line :
             besedka::forgetLines(files, parsed->request, feedbackOn(err))) {
            out << numberedLine(line.number, line.text) << '\n';
        }
        return kSuccess;
    });
}

} // namespace besedka::kb

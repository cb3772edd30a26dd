#pragma once

// What the `kb` subcommands share: exit statuses, messages, the working
// directory argument and the numbered form of a tree line.

#include "curation/feedback.h"
#include "files/error.h"
#include "text/cp1251.h"

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace besedka::kb {

using Args = std::vector<std::string>;

inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsageError = 2;

// "besedka kb: MESSAGE" on `err`; returns kFailure.
int fail(std::ostream& err, std::string_view message);
// "besedka kb: PROBLEM; usage: ..." on `err`; returns kUsageError.
int usageError(std::ostream& err, std::string_view problem);

// Lock waits and backup problems told on `err`.
Feedback feedbackOn(std::ostream& err);

// The working directory named by `args[at]` (Base itself or a file in it
// names the directory that holds it), else the one the chat and the window
// use; a message and nothing when there is no such directory.
std::optional<std::filesystem::path> workdirArgument(const Args& args, std::size_t at,
                                                     std::ostream& err);

// The bytes of FILE, or of standard input for "-"; a message and nothing when
// it cannot be read.
std::optional<std::string> readInput(const std::string& file, std::ostream& err);

// " (working directory DIR)": what a message about a file adds.
std::string inWorkdir(const std::filesystem::path& workdir);

// A tree line as `kb find` and `kb forget` show it: "N: line" in UTF-8.
std::string numberedLine(std::size_t number, std::string_view line);

// A word as a POSIX shell reads it back unchanged (quoted when it must be).
std::string shellQuoted(std::string_view word);

// Whether the standard input is a terminal, where a person can answer.
bool inputIsTerminal();

// Asks `question` on `out` and reads the answer from the standard input:
// true for "y", "yes", "д" or "да" in any case.
bool confirmed(const std::string& question, std::ostream& out);

// Runs a curation step; its refusal or file error becomes one line on `err`
// and kFailure.
template <typename Step> int guarded(std::ostream& err, Step step) {
    try {
        return step();
    } catch (const Error& error) {
        return fail(err, error.what());
    }
}

// The same for a step on a working directory: a file error names it.
template <typename Step>
int guarded(std::ostream& err, const std::filesystem::path& workdir, Step step) {
    try {
        return step();
    } catch (const Error& error) {
        const bool namesAFile = error.kind() == Error::Kind::File;
        return fail(err, error.what() + (namesAFile ? inWorkdir(workdir) : std::string()));
    }
}

} // namespace besedka::kb

#pragma once

// How a kb subcommand ends and what it tells on the way: exit statuses and
// one-line messages on stderr.

#include "curation/feedback.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

namespace besedka::kb {

inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsageError = 2;

// "besedka kb: MESSAGE" on `err`; returns kFailure.
int fail(std::ostream& err, std::string_view message);
// "besedka kb: PROBLEM; usage: ..." on `err`; returns kUsageError.
int usageError(std::ostream& err, std::string_view problem);

// Lock waits and backup problems told on `err`; the backup taken first
// records `backupReason` ("перед: обучение из jokes.txt").
Feedback feedbackOn(std::ostream& err, std::string backupReason = {});

// " (working directory DIR)": what a message about a file adds.
std::string inWorkdir(const std::filesystem::path& workdir);

} // namespace besedka::kb

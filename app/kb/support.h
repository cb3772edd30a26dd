#pragma once

// What the `kb` subcommands share: exit statuses, messages, the working
// directory argument and the knowledge files' names.

#include "files/backups.h"
#include "files/directory_lock.h"
#include "files/file_store.h"
#include "files/kb_paths.h"
#include "files/string_list.h"

#include <array>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace besedka::kb {

using Args = std::vector<std::string>;

inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsageError = 2;

inline constexpr std::string_view kTreeFile = paths::kWords;
inline constexpr std::string_view kLogFile = paths::kLog;
inline constexpr std::array<std::string_view, 6> kReplyLists{
    paths::kPause,     paths::kPovtor,    paths::kInsultReplies,
    paths::kBigString, paths::kQuestions, paths::kStatements,
};

// "besedka kb: MESSAGE" on `err`; returns kFailure.
int fail(std::ostream& err, std::string_view message);
// "besedka kb: PROBLEM; usage: ..." on `err`; returns kUsageError.
int usageError(std::ostream& err, std::string_view problem);

std::string withReason(const std::string& what, const std::error_code& reason);
ProblemReport problemReport(std::ostream& err);
LockWaitObserver waitingMessage(std::ostream& err);

// The working directory named by `args[at]`, else the current directory; a
// message and nothing when it is no directory.
std::optional<std::filesystem::path> workdirArgument(const Args& args, std::size_t at,
                                                     std::ostream& err);

// The working directory's tree, or its file error on `err` and nothing.
std::optional<StringList> loadTreeOrReport(const FileStore& files, std::ostream& err);

// A tree line as `kb check` and `kb find` show it: its number as a text
// editor counts (the program's line index plus one), then the line in UTF-8.
std::string numberedLine(std::size_t index, std::string_view line);

} // namespace besedka::kb

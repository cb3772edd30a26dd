#pragma once

// The `kb` subcommands. Each takes the words after its name and returns the
// process exit status; output goes to `out`, messages to `err`.

#include "kb/inputs.h"

#include <iosfwd>

namespace besedka::kb {

int runLines(const Args& args, std::ostream& out, std::ostream& err);    // kb/files.cpp
int runFromText(const Args& args, std::ostream& out, std::ostream& err); // kb/files.cpp
int runCheck(const Args& args, std::ostream& out, std::ostream& err);    // kb/check.cpp
int runStats(const Args& args, std::ostream& out, std::ostream& err);    // kb/stats.cpp
int runFind(const Args& args, std::ostream& out, std::ostream& err);     // kb/find.cpp
int runForget(const Args& args, std::ostream& out, std::ostream& err);   // kb/forget.cpp
int runBackups(const Args& args, std::ostream& out, std::ostream& err);  // kb/backups.cpp
int runRestore(const Args& args, std::ostream& out, std::ostream& err);  // kb/backups.cpp
int runTeach(const Args& args, std::ostream& out, std::ostream& err);    // kb/teach.cpp
int runExport(const Args& args, std::ostream& out, std::ostream& err);   // kb/export.cpp
int runImport(const Args& args, std::ostream& out, std::ostream& err);   // kb/export.cpp
int runMerge(const Args& args, std::ostream& out, std::ostream& err);    // kb/merge.cpp
int runBrowse(const Args& args, std::ostream& out, std::ostream& err);   // kb/browse.cpp

} // namespace besedka::kb

#pragma once

// The `kb` subcommands. Each takes the words after its name, read as its
// entry in the catalogue declares them, and returns the process exit status;
// output goes to `out`, messages to `err`.

#include "kb/parsed_args.h"

#include <iosfwd>

namespace besedka::kb {

int runLines(const ParsedArgs& args, std::ostream& out, std::ostream& err);    // kb/files.cpp
int runFromText(const ParsedArgs& args, std::ostream& out, std::ostream& err); // kb/files.cpp
int runCheck(const ParsedArgs& args, std::ostream& out, std::ostream& err);    // kb/check.cpp
int runStats(const ParsedArgs& args, std::ostream& out, std::ostream& err);    // kb/stats.cpp
int runFind(const ParsedArgs& args, std::ostream& out, std::ostream& err);     // kb/find.cpp
int runForget(const ParsedArgs& args, std::ostream& out, std::ostream& err);   // kb/forget.cpp
int runBackups(const ParsedArgs& args, std::ostream& out, std::ostream& err);  // kb/backups.cpp
int runRestore(const ParsedArgs& args, std::ostream& out, std::ostream& err);  // kb/backups.cpp
int runTeach(const ParsedArgs& args, std::ostream& out, std::ostream& err);    // kb/teach.cpp
int runExport(const ParsedArgs& args, std::ostream& out, std::ostream& err);   // kb/export.cpp
int runImport(const ParsedArgs& args, std::ostream& out, std::ostream& err);   // kb/export.cpp
int runMerge(const ParsedArgs& args, std::ostream& out, std::ostream& err);    // kb/merge.cpp
int runWhy(const ParsedArgs& args, std::ostream& out, std::ostream& err);      // kb/why.cpp
int runBrowse(const ParsedArgs& args, std::ostream& out, std::ostream& err);   // kb/browse.cpp

} // namespace besedka::kb

#pragma once

// The `kb` subcommands. Each takes the words after its name and returns the
// process exit status; output goes to `out`, messages to `err`.

#include "kb/support.h"

#include <iosfwd>

namespace besedka::kb {

int printLines(const Args& args, std::ostream& out, std::ostream& err);      // kb/files.cpp
int fromText(const Args& args, std::ostream& out, std::ostream& err);        // kb/files.cpp
int checkWorkdir(const Args& args, std::ostream& out, std::ostream& err);    // kb/check.cpp
int showStats(const Args& args, std::ostream& out, std::ostream& err);       // kb/stats.cpp
int findLines(const Args& args, std::ostream& out, std::ostream& err);       // kb/find.cpp
int forgetLines(const Args& args, std::ostream& out, std::ostream& err);     // kb/forget.cpp
int showBackups(const Args& args, std::ostream& out, std::ostream& err);     // kb/backups.cpp
int restoreBackup(const Args& args, std::ostream& out, std::ostream& err);   // kb/backups.cpp
int teachDialogues(const Args& args, std::ostream& out, std::ostream& err);  // kb/teach.cpp
int exportKnowledge(const Args& args, std::ostream& out, std::ostream& err); // kb/export.cpp
int importKnowledge(const Args& args, std::ostream& out, std::ostream& err); // kb/export.cpp
int mergeKnowledge(const Args& args, std::ostream& out, std::ostream& err);  // kb/merge.cpp
int browse(const Args& args, std::ostream& out, std::ostream& err);          // kb/browse.cpp

} // namespace besedka::kb

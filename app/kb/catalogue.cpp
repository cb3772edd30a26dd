#include "kb/catalogue.h"

#include "kb/subcommands.h"

#include <array>
#include <limits>

namespace besedka::kb {
namespace {

constexpr std::size_t kAnyNumber = std::numeric_limits<std::size_t>::max();

constexpr std::array<Subcommand, 13> kSubcommands{{
    {"lines", "FILE", 1, 1, runLines, "print a knowledge-base file as UTF-8 lines",
     "besedka kb lines Base/W2.Dat"},
    {"from-text", "IN OUT", 2, 2, runFromText, "write UTF-8 lines as a knowledge-base file",
     "besedka kb from-text replies.txt Base/W2.Dat"},
    {"check", "[WORKDIR]", 0, 1, runCheck,
     "check the files and the tree's grammar; list suspicious lines", "besedka kb check"},
    {"stats", "[WORKDIR]", 0, 1, runStats, "count lines, depths, answers, dialogues and file sizes",
     "besedka kb stats"},
    {"find", "TEXT [WORKDIR]", 1, 2, runFind,
     "print the tree lines holding TEXT (any case) as N: line", "besedka kb find привет"},
    {"forget", "N... [--expect LINE] [--dry-run] [--yes] [--no-backup] [WORKDIR]", 1, kAnyNumber,
     runForget, "remove tree lines N with their branches", "besedka kb forget 12 40 --dry-run"},
    {"backups", "[--all] [WORKDIR]", 0, 1, runBackups,
     "list the backups taken before each change (--all: of every working directory)",
     "besedka kb backups"},
    {"restore", "STAMP|latest [--with-log] [WORKDIR]", 1, 3, runRestore,
     "put a backup back (the dialogue log stays unless --with-log)",
     "besedka kb restore 2026-12-07_12-30-05Z-12"},
    {"teach", "FILE|- [--skip-bad] [--dry-run] [WORKDIR]", 1, 4, runTeach,
     "teach the tree the dialogues of a text (blank line between)",
     "besedka kb teach dialogues.txt"},
    {"export", "[WORKDIR]", 0, 1, runExport,
     "write the tree and the reply lists as one JSON document", "besedka kb export > kb.json"},
    {"import", "FILE|- [WORKDIR]", 1, 2, runImport,
     "replace the files a JSON export names, after a backup", "besedka kb import kb.json"},
    {"merge", "SOURCE [--dry-run] [WORKDIR]", 1, 3, runMerge,
     "add what another working directory or export knows", "besedka kb merge ../other"},
    {"browse", "[WORKDIR]", 0, 1, runBrowse,
     "open the knowledge window: see, search, correct, forget, restore", "besedka kb browse"},
}};

} // namespace

std::span<const Subcommand> subcommands() {
    return kSubcommands;
}

std::string commandLine(const Subcommand& command) {
    std::string line = "besedka kb ";
    line += command.name;
    line += ' ';
    line += command.arguments;
    return line;
}

} // namespace besedka::kb

#pragma once

// The words of the kb subcommands' usage lines, each declared once with what
// the help says of it. The subcommands name theirs from here, and their usage
// lines, help, word counts and parsing follow from that.

#include <array>
#include <string_view>

namespace besedka::kb {

struct Argument {
    enum Kind {
        Operand,         // FILE
        OptionalOperand, // [WORKDIR]
        RepeatedOperand, // N...
        Flag,            // [--dry-run]
        SoleFlag,        // [--all]: given instead of the operands, so room for one or the other
        ValuedOption,    // [--expect LINE]: its value is the word after it
    };

    std::string_view name;
    Kind kind;
    std::string_view note;       // what the help says of it
    std::string_view value = {}; // what a valued option's value is called

    bool isOption() const { return kind == Flag || kind == SoleFlag || kind == ValuedOption; }
    bool isRequired() const { return kind == Operand || kind == RepeatedOperand; }
};

inline constexpr Argument kFile{"FILE", Argument::Operand,
                                "a knowledge-base file (RTF or plain text)"};
inline constexpr Argument kIn{"IN", Argument::Operand,
                              "a file of UTF-8 lines, one line of the knowledge-base file each"};
inline constexpr Argument kOut{
    "OUT", Argument::Operand,
    "the knowledge-base file to write (atomically; under the lock when in Base)"};
inline constexpr Argument kText{"TEXT", Argument::Operand,
                                "the text to look for, letter case aside"};
inline constexpr Argument kLineNumbers{
    "N...", Argument::RepeatedOperand,
    "line numbers as kb find and kb check print them (line 1 is the tree's header)"};
inline constexpr Argument kDryRun{"--dry-run", Argument::Flag,
                                  "show what would change, and change nothing"};
inline constexpr Argument kExpect{"--expect", Argument::ValuedOption,
                                  "LINE after a number: remove it only while it still holds LINE",
                                  "LINE"};
inline constexpr Argument kYes{"--yes", Argument::Flag, "do not ask on a terminal before removing"};
inline constexpr Argument kNoBackup{"--no-backup", Argument::Flag,
                                    "change Base even when no backup can be made"};
inline constexpr Argument kAll{"--all", Argument::SoleFlag,
                               "list the backups of every working directory, with its path"};
inline constexpr Argument kStamp{
    "STAMP|latest", Argument::Operand,
    "a backup's stamp as kb backups lists it, as much of its start as names "
    "one backup, or the path of a backup's folder; latest: the newest"};
inline constexpr Argument kWithLog{
    "--with-log", Argument::Flag,
    "put the backup's dialogue log back too (else the current one stays)"};
inline constexpr Argument kInput{
    "FILE|-", Argument::Operand,
    "a text of dialogues (kb teach) or an export (kb import); - reads stdin"};
inline constexpr Argument kSkipBad{"--skip-bad", Argument::Flag,
                                   "teach the other lines when some cannot be stored"};
inline constexpr Argument kVerbose{
    "--verbose", Argument::Flag,
    "name every pair that will not be answered as taught (else the first 10)"};
inline constexpr Argument kForgetCommand{
    "--forget-command", Argument::Flag,
    "also tell on stderr the kb forget command that removes the first line found, "
    "only while it still holds what it holds now"};
inline constexpr Argument kPruneGone{
    "--prune-gone", Argument::Flag,
    "with --all: remove the backups of working directories that no longer exist "
    "(asks on a terminal; else needs --yes)"};
inline constexpr Argument kPhrase{"PHRASE", Argument::Operand,
                                  "a phrase as it would be said in the chat"};
inline constexpr Argument kAfter{
    "--after", Argument::ValuedOption,
    "said right after the chat's reply REPLY: in the branch of the tree line "
    "that gives it (else in a new dialogue)",
    "REPLY"};
inline constexpr Argument kSource{
    "SOURCE", Argument::Operand,
    "another working directory, or an export document (kb export) or -"};
inline constexpr Argument kWorkdir{
    "WORKDIR", Argument::OptionalOperand,
    "the working directory (Base itself or a file in it names it too); without it, "
    "the one the chat and the window use"};

// The order in which a subcommand's help explains the words it takes.
inline constexpr std::array<const Argument*, 21> kArgumentsInHelpOrder{
    &kFile,   &kIn,      &kOut,       &kText,   &kForgetCommand, &kLineNumbers, &kDryRun,
    &kExpect, &kAll,     &kPruneGone, &kYes,    &kNoBackup,      &kStamp,       &kWithLog,
    &kInput,  &kSkipBad, &kVerbose,   &kSource, &kPhrase,        &kAfter,       &kWorkdir,
};

} // namespace besedka::kb

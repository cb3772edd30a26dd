#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace besedka {

// Every refusal a curation step makes, so that a window can word each one in
// its own language instead of reading the English message. The facts each
// one carries are named after it; the others stay empty.
enum class Refusal {
    // A learned line of the tree: `line` of `path`.
    NoLearnedLine,     // `total`: the last line there is (0 when not said)
    LineChanged,       // `text`: the line as it is now
    LineBreaksGrammar, // `text`: what is wrong with it; `number`: its TreeLineFault
    NoSuchAnswer,      // `number`: the answer asked for
    // A phrase typed for a key or an answer.
    PhraseEmpty,
    PhraseDelimiter,
    PhraseControl,
    PhraseNotInCodePage,

    // No backup was made before a change, so nothing changed: no state home;
    // out of memory; a file operation on `path` that failed for `reason`.
    NoBackupWithoutStateHome,
    NoBackupWithoutMemory,
    NoBackupFileFailed,

    // Backups to list or restore.
    NoBackupsWithoutStateHome,
    NoBackupFolder,    // `path`: the folder given
    AmbiguousBackup,   // `text`: the stamp's start given; `names`: the backups it begins
    NoBackupsYet,      // `path`: the backup folder
    NoSuchBackup,      // `text`: the stamp given; `names`: the closest ones
    BackupsUnreadable, // `path`, `reason`
    BackupDamaged,     // `text`: the backup's stamp
    RestoreNotPlaced,  // `path`: a file not written, `reason`; the base is as it was
    RestoreUnfinished, // the same, the base half restored to backup `text`
    RestoreFailed,     // `path`, `reason`; nothing restored

    // A file or folder a step reads or writes: `path`, `reason`, and
    // `workdir` when it belongs to a working directory other than the one at
    // hand (the source of a merge).
    FileNotOpened,
    FileNotWritten,
    FolderNotLocked,

    // A text given to teach.
    TextIsExportDocument,
    NotAText, // `number` of its `total` written lines hold control characters
    // An utterance of that text, refused at its line.
    UtteranceControl,  // `text`: the character's code ("0x1F")
    UtteranceReserved, // `text`: the character
    UtteranceNotInCodePage,
    UtteranceWithoutKey,
    UtteranceKeyTooLong, // `number` characters; the chat takes `total` at most
    UtteranceTooDeep,    // after `number` utterances without a blank line

    // An export document to import or merge; `path` is the place in it
    // ("tree[12].answers[0]").
    DocumentSyntax,         // at byte `number`, `line` and column `total`; the
                            // parser's `text` of what it could not read, or
                            // `names` {unexpected token, expected token}
    DocumentNulByte,        // at byte `number`
    DocumentFieldMissing,   // `path`: the field
    DocumentVersionUnknown, // `number`
    DocumentFormatUnknown,  // `text`: the format it names
    DocumentTooDeep,        // `number`: the deepest level there may be
    DocumentNullMisplaced,
    DocumentBooleanMisplaced,
    DocumentNegativeMisplaced,
    DocumentFractionMisplaced,
    DocumentBinaryMisplaced,
    DocumentNumberMisplaced, // `number`
    DocumentStringMisplaced,
    DocumentObjectMisplaced,
    DocumentArrayMisplaced,
    DocumentAnswerMalformed,
    DocumentUnknownField, // `text`: its name
    DocumentFieldTwice,   // `text`: its name
    DocumentNoSuchList,   // `text`: the name given
    DocumentLineBreak,
    DocumentNotInCodePage,
    DocumentLineWithFields,
    DocumentRecordIncomplete,
    DocumentKeyMalformed,
    DocumentKeyNotInCapitals,

    NoLineAnswers,     // `text`: the reply no tree line gives
    NotABackupsFolder, // `path`: a folder to remove that is not one of the backups
    BackupsNotRemoved, // `path`, `reason`
    BaseBusy,          // another program holds the lock of Base
};

// The last of them, for a caller that walks them all.
inline constexpr Refusal kLastRefusal = Refusal::BaseBusy;

// The values a refusal's message inserts, as Refusal names them for each.
struct RefusalFacts {
    std::size_t line = 0;
    std::size_t number = 0;
    std::size_t total = 0;
    std::string path; // UTF-8
    std::string text; // UTF-8
    std::vector<std::string> names;
    std::error_code reason;
    std::filesystem::path workdir;
};

// The facts of a refusal about a file or folder: its path and the reason.
inline RefusalFacts pathFacts(const std::filesystem::path& path,
                              const std::error_code& reason = {}) {
    RefusalFacts facts;
    facts.path = path.string();
    facts.reason = reason;
    return facts;
}

} // namespace besedka

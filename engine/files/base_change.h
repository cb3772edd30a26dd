#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace besedka {

// A change of several files of Base is made all at once, so that a failure,
// a kill or a power loss at any moment leaves Base wholly as it was or
// wholly as changed. Every new file is first written and flushed beside the
// one it replaces; then a journal in Base (".change", hidden, so that no
// backup copies it) names them, and is flushed with the folder; then each is
// renamed into place and the folders flushed again; then the journal goes.
// A journal on the disk is the change made: the next run that takes the
// lock of Base renames what is left (see finishUnfinishedChange). Without a
// whole journal, the new files are leftovers that the next run removes.
//
// The journal lives in Base rather than in the backup folder: it is found
// whatever the state home is (unset, another one, a backup disk unplugged),
// on the file system of the renames, and one flush of Base makes it and the
// new files' names durable together.

inline constexpr const char* kChangeJournal = ".change";

// One file of a change.
struct FileChange {
    std::filesystem::path path; // where it goes; a link there is followed
    std::string bytes;
    std::filesystem::path model; // whose owner and mode a new file takes; none: its own
    std::string name;            // how a failure names it
};

// A file of a change that could not be written, and whether Base is as it
// was (else the change is made whole by the next run that takes the lock).
struct PlacementFailure {
    std::string file;
    std::error_code reason;
    bool putBack = false;
};

// Makes the change of `files`, all in folder `base` (their paths there) or
// through its links, under the lock of Base. One file is simply replaced
// atomically.
[[nodiscard]] std::optional<PlacementFailure>
changeFilesTogether(const std::filesystem::path& base, const std::vector<FileChange>& files);

// Whether a change of `base` waits to be finished.
[[nodiscard]] bool hasUnfinishedChange(const std::filesystem::path& base);

// Finishes the change that a killed run left in `base`, or drops one whose
// journal was not whole (nothing of it was renamed then); what could not be
// renamed otherwise, the journal staying for the next run. The journal is
// read as the program's own record: it can only rename a new file of a save
// beside the file of Base it replaces.
[[nodiscard]] std::optional<PlacementFailure>
finishUnfinishedChange(const std::filesystem::path& base);

} // namespace besedka

#pragma once

#include <cstddef>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace besedka {

// The directory that holds `path`: "." for a bare file name.
std::filesystem::path directoryOf(const std::filesystem::path& path);

// The path that symbolic links at `path` finally lead to; the path itself
// when it is no link (or does not exist yet). A loop, an unreadable link or a
// link of another user sets `reason`: as the kernel's protected_symlinks
// rule has it for shared folders, a link is followed only when the user the
// program runs as made it (or root did), so that root working in another
// user's folder never reads or replaces a file that user's link points to.
std::filesystem::path followLinks(std::filesystem::path path, std::error_code& reason);

// Whole contents of a regular file, through the links followLinks follows.
// Anything else (missing, a directory, a FIFO, a device, no permission, a link
// of another user) gives nothing, with the reason in `reason`; opening never
// waits for a writer. A file of more than `limit` bytes gives nothing, with
// std::errc::file_too_large, before it is read.
[[nodiscard]] std::optional<std::string>
readWholeFile(const std::filesystem::path& path, std::error_code& reason,
              std::size_t limit = std::numeric_limits<std::size_t>::max());

// Replaces the file with `bytes` so that a crash, a kill or a full disk at any
// moment leaves either the old or the new file: the bytes go to a temporary
// file ".NAME.XXXXXX" in the same directory, are flushed to disk, and the
// temporary file is renamed over the old one. What is at the path is
// respected: a symbolic link is followed and its target replaced (the link
// stays), a FIFO or a device is written to in place, and a directory or a file
// that the user may not write is refused. A replaced file's owner, group,
// extended attributes and mode stay; a new file takes those of `model` when
// one is given. Returns the reason of a failure, which leaves the old file
// untouched; an empty code on success.
[[nodiscard]] std::error_code writeFileAtomically(const std::filesystem::path& path,
                                                  std::string_view bytes,
                                                  const std::filesystem::path& model = {});

// A file written beside the one it is to replace and flushed, not yet put
// in place: the first half of writeFileAtomically, for a change of several
// files that renames them all only once each is written.
struct StagedFile {
    std::filesystem::path target;    // what it replaces, links followed
    std::filesystem::path temporary; // empty for a FIFO or a device, written in place
};

// Writes `bytes` for `path` as writeFileAtomically does, but stops before the
// rename; refuses what it refuses. Nothing is left behind on a failure.
[[nodiscard]] std::error_code stageFileReplacement(const std::filesystem::path& path,
                                                   std::string_view bytes,
                                                   const std::filesystem::path& model,
                                                   StagedFile& staged);

// Writes the bytes of a staged FIFO or device in place.
[[nodiscard]] std::error_code writeStagedInPlace(const StagedFile& staged, std::string_view bytes);

// Renames a temporary over its target (no directory sync).
[[nodiscard]] std::error_code renameIntoPlace(const std::filesystem::path& temporary,
                                              const std::filesystem::path& target);

// Whether `name` is a temporary that a save of a file named `of` makes.
bool isTemporaryFor(std::string_view name, std::string_view of);

// Makes the renames and new entries in `directory` durable (a power loss
// keeps them). A directory that cannot be opened (no read permission) or a
// file system without directory syncs is left as it is; a failed sync is a
// failed save.
[[nodiscard]] std::error_code syncDirectory(const std::filesystem::path& directory);

// Creates `directory` and any missing folders above it, syncing the parent of
// each new one so that a power loss keeps it; throws
// std::filesystem::filesystem_error.
void createDirectoriesDurably(const std::filesystem::path& directory);

// Removes the temporary files that killed saves left beside the files of
// `directory` (or beside the targets of its symbolic links). Only safe while
// no save into those files runs, that is under the knowledge base's lock.
// Returns how many it removed.
std::size_t removeLeftoverTemporaries(const std::filesystem::path& directory);

} // namespace besedka

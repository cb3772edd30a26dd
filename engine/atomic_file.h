#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace besedka {

// Whole file contents, or nothing when the file cannot be opened or read
// (missing, a directory, no permission).
std::optional<std::string> readWholeFile(const std::filesystem::path& path);

// Replaces the file with `bytes` so that a crash, a kill or a full disk at any
// moment leaves either the old or the new file: the bytes go to a temporary
// file in the same directory, are flushed to disk, and the temporary file is
// renamed over the old one. Returns false, with the old file untouched, when
// any step fails.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

} // namespace besedka

#pragma once

#include <filesystem>
#include <system_error>

namespace besedka {

// Gives the file open as `to` what the file at `from` has beside its bytes:
// its owner and group, its extended attributes (ACLs among them) and its
// mode; a `from` that does not exist gives the mode of a new file. Owner,
// group and attributes go as far as the process may give them (a run as root
// must not take a file away from its owner; an unprivileged one keeps at
// least the group when it belongs to it). Returns the reason when the mode
// cannot be set.
[[nodiscard]] std::error_code copyFileAttributes(const std::filesystem::path& from, int to);

} // namespace besedka

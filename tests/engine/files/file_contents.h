#pragma once

#include "files/atomic_file.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace besedka::test {

// The bytes of a file, or a placeholder no test writes when it cannot be
// read, so that a comparison with what was expected fails and shows it.
inline std::string contentsOf(const std::filesystem::path& path) {
    std::error_code reason;
    return readWholeFile(path, reason).value_or("<unreadable>");
}

} // namespace besedka::test

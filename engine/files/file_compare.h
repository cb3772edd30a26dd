#pragma once

#include <filesystem>
#include <string_view>

namespace besedka {

// Whether the regular file at `path` holds exactly `bytes`. Reads the file in
// pieces and compares each as it comes, so an unchanged file costs little
// more than reading it. False also when the file cannot be read: the caller
// then reads it the ordinary way, which reports why.
bool fileHoldsExactly(const std::filesystem::path& path, std::string_view bytes);

} // namespace besedka

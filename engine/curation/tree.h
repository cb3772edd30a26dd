#pragma once

#include "files/file_store.h"
#include "files/string_list.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// The knowledge tree of a working directory; throws FileError.
StringList loadTree(const FileStore& files);

// A tree line and its number as a text editor counts (the header is line 1).
struct NumberedLine {
    std::size_t number;
    std::string text; // Windows-1251
};

// The learned lines whose key or answers hold `text` (Windows-1251), with
// Cyrillic letter case and the dots of "ё" set aside; depth marks are not
// searched.
std::vector<NumberedLine> findInTree(const StringList& tree, std::string_view text);

} // namespace besedka

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// The built-in word lists, Windows-1251, in upper case. Line 0 is empty and
// never used; the entries are lines 1 to size() - 1.
const std::vector<std::string>& insultList();
const std::vector<std::string>& personalTopicList();
const std::vector<std::string>& farewellList();

// The list scan of the insult and personal-topic responders: the first entry,
// from line 1 on, that occurs in `key` (keyOccurs), or the list's size when
// none does.
std::size_t firstEntryIn(const std::vector<std::string>& list, std::string_view key);

} // namespace besedka

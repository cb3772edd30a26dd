#pragma once

#include <string>
#include <vector>

namespace besedka {

// The built-in word lists, Windows-1251, in upper case. Line 0 is empty and
// never used; the entries are lines 1 to size() - 1.
const std::vector<std::string>& insultList();
const std::vector<std::string>& personalTopicList();
const std::vector<std::string>& farewellList();

} // namespace besedka

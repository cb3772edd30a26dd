#pragma once

// How the program's help lays out its lines: at most 80 columns, a command or
// word with what it does in a column beside it, as help2man and the shell
// completion read them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

inline constexpr std::size_t kHelpWidth = 80;
// Where a summary starts: help2man takes a line indented this far for the
// summary of the line above.
inline constexpr std::size_t kSummaryColumn = 20;

// How many columns UTF-8 `text` takes on a terminal, a column a character.
std::size_t columnsOf(std::string_view text);

// `text` (words parted by single spaces) broken into lines of at most
// kHelpWidth columns after `first`, the lines after it indented by `indent`
// spaces; ends with a newline.
std::string wrapped(std::string_view first, std::string_view text, std::size_t indent);
// The same for words that may hold spaces of their own ("[--expect LINE]").
std::string wrapped(std::string_view first, const std::vector<std::string>& words,
                    std::size_t indent);

// "  WHAT" with `summary` at kSummaryColumn: on the same line when two spaces
// still part them, else on the next.
std::string helpEntry(std::string_view what, std::string_view summary);

} // namespace besedka

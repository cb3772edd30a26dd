#pragma once

#include "curation/feedback.h"
#include "curation/tree.h"
#include "files/file_store.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace besedka {

// Why a text cannot stand in a tree line as a key or an answer.
enum class PhraseProblem {
    Empty,
    Delimiter,     // "^", "_" or ";": the grammar's own characters
    LineBreak,     // a line break or another control character
    NotInCodePage, // a character without a Windows-1251 form
};

// What is wrong with `utf8` as a key or an answer; nothing when it can stand.
[[nodiscard]] std::optional<PhraseProblem> phraseProblem(std::string_view utf8);
// The problem as one line of English for the kb tools and error messages.
std::string describe(PhraseProblem problem);

// A learned line as the user saw it: its number as a text editor counts (2 is
// the first learned line) and its text (Windows-1251). A change is refused
// when the line is no longer that text on disk.
struct ShownLine {
    std::size_t number = 0;
    std::string text;
};

// Changes to one learned line, in place: the line keeps its number and
// depth. Each runs under the lock of Base, after the store's backup, and
// saves the tree atomically; it returns the line as written. A text with a
// problem, a line that is gone or changed, a line that breaks the grammar or
// an answer number that is out of range refuse the change (CurationError)
// before anything is written; file errors throw FileError.
//
// Keys are stored in Cyrillic upper case, as learning stores them; answers
// as given. Answers are counted from 1.
NumberedLine setKey(FileStore& files, const ShownLine& shown, std::string_view utf8Key,
                    const Feedback& feedback);
NumberedLine setAnswer(FileStore& files, const ShownLine& shown, std::size_t answer,
                       std::string_view utf8Answer, const Feedback& feedback);
NumberedLine addAnswer(FileStore& files, const ShownLine& shown, std::string_view utf8Answer,
                       const Feedback& feedback);
NumberedLine removeAnswer(FileStore& files, const ShownLine& shown, std::size_t answer,
                          const Feedback& feedback);

} // namespace besedka

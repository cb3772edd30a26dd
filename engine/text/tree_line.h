#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace besedka {

// One line of the knowledge tree: depth marks "_", a key, "^", then answers
// each closed by ";". Example: "_КАК ДЕЛА?^Хорошо.;Нормально!;".
//
// Lines that break the grammar are read safely: a line without "^" after its
// first character has no key, and text after the last ";" is not an answer.
class TreeLine {
  public:
    explicit TreeLine(std::string_view line);

    // Number of leading "_".
    std::size_t depth() const { return depth_; }
    // Whether the line has a "^" after its first character (and after its marks).
    bool hasSeparator() const { return separator_ != std::string_view::npos; }
    // Everything before the separator, depth marks included; empty without one.
    std::string_view keyWithMarks() const;
    // The key without its depth marks; empty without a separator.
    std::string_view key() const;
    // Answers after the separator, each closed by ";".
    std::size_t answerCount() const { return answerCount_; }
    // Answer number `number`, counted from 1; empty when there is none.
    std::string_view answer(std::size_t number) const;

  private:
    std::string_view line_;
    std::size_t depth_ = 0;
    std::size_t separator_ = std::string_view::npos;
    std::size_t answerCount_ = 0;
};

// Whether the line's key with its depth marks, or without them, is `key`.
// They look at the line only up to the key's end, so a scan over the tree
// reads its keys and not its answers.
bool keyWithMarksIs(std::string_view line, std::string_view key);
bool keyIs(std::string_view line, std::string_view key);

// What can be wrong with a tree line, first found first.
enum class TreeLineFault {
    EmptyLine,
    NoSeparator,
    EmptyKey,
    SemicolonInKey,
    CaretAmongAnswers,
    UnclosedAnswer,
    EmptyAnswer,
};

// What is wrong with a tree line (line 1 or later), or nothing when it keeps
// the grammar; and the same in words.
std::optional<TreeLineFault> treeLineFault(std::string_view line);
std::optional<std::string> treeLineProblem(std::string_view line);

} // namespace besedka

#pragma once

#include "files/file_store.h"
#include "files/string_list.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace besedka {

struct TreeFigures {
    std::size_t lines = 0; // the header included
    std::size_t roots = 0;
    std::array<std::size_t, 3> branches{}; // at depth 1, 2, 3 and deeper
    std::size_t withAnswers = 0;
    std::size_t answers = 0;
    std::size_t broken = 0; // lines that break the grammar

    std::size_t learned() const { return lines > 0 ? lines - 1 : 0; }
};

TreeFigures treeFigures(const StringList& tree);

// A figure of one file: nothing when the file cannot be read.
struct FileFigure {
    std::string name; // as the program names it ("Base\W1.Dat")
    std::optional<std::uintmax_t> value;
};

// What a working directory's knowledge base holds.
struct KnowledgeStats {
    TreeFigures tree;
    std::vector<FileFigure> listLines;    // each reply list's lines
    std::optional<std::size_t> dialogues; // blocks in the dialogue log
    std::vector<FileFigure> fileBytes;    // the tree, the reply lists, the log
};

// The dialogues in the log; nothing when it cannot be read.
[[nodiscard]] std::optional<std::size_t> dialoguesInLog(const FileStore& files);

// Throws FileError when the tree cannot be read; other files that cannot be
// read are figures without a value.
KnowledgeStats knowledgeStats(const FileStore& files);

} // namespace besedka

#include "curation/tree.h"

#include "files/kb_paths.h"
#include "text/russian.h"

namespace besedka {
namespace {

// The line without its depth marks: its key and answers.
std::string_view keyAndAnswers(std::string_view line) {
    const std::size_t marks = line.find_first_not_of('_');
    return marks == std::string_view::npos ? std::string_view() : line.substr(marks);
}

} // namespace

StringList loadTree(const FileStore& files) {
    StringList tree;
    tree.load(files, paths::kWords);
    return tree;
}

std::vector<NumberedLine> findInTree(const StringList& tree, std::string_view text) {
    const std::string wanted = searchFolded(text);
    std::vector<NumberedLine> found;
    for (std::size_t i = 1; i < tree.count(); ++i) {
        if (searchFolded(keyAndAnswers(tree.line(i))).find(wanted) != std::string::npos) {
            found.push_back({i + 1, std::string(tree.line(i))});
        }
    }
    return found;
}

} // namespace besedka

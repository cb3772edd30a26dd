// Takes any bytes as a dialogue text to teach, teaches it to a small tree in
// memory and checks what teaching promises: utterances are trimmed and never
// empty, every line it adds keeps the tree's grammar, and teaching the same
// text again to the result changes nothing.

#include "curation/dialogue_text.h"
#include "curation/outline_merge.h"
#include "curation/teach.h"
#include "files/string_list.h"
#include "text/tree_line.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

const std::vector<std::string> kTree{
    "header", "A^B;", "_C^D;", "__E^", "broken", "F^G;H;", "___deep^x;",
};

void checkUtterances(const besedka::DialogueText& text) {
    std::uint32_t line = 0;
    for (std::size_t i = 0; i < text.utterances.size(); ++i) {
        const besedka::Utterance& said = text.utterances[i];
        check(!said.text.empty() && said.line > line);
        check(said.text.front() != ' ' && said.text.back() != ' ');
        check(i > 0 || said.opensDialogue);
        line = said.line;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const besedka::DialogueText text =
        besedka::readDialogueText(std::string(reinterpret_cast<const char*>(data), size));
    checkUtterances(text);

    const besedka::StringList before(kTree);
    besedka::OutlineMerge tree(before.textLines());
    const besedka::TeachReport first = besedka::teachOutline(tree, text);
    const besedka::TextLines taught = tree.lines();
    check(taught.size() == kTree.size() + first.figures.newLines);
    for (std::size_t i = 1; i < taught.size(); ++i) {
        check(taught[i] == "broken" || !besedka::treeLineProblem(taught[i]));
    }

    besedka::OutlineMerge again(taught);
    const besedka::TeachReport second = besedka::teachOutline(again, text);
    check(!again.changed() && second.figures.newLines == 0 && second.figures.newAnswers == 0);
    return 0;
}

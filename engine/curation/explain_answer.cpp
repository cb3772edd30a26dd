#include "curation/explain_answer.h"

#include "curation/curation_error.h"
#include "files/kb_paths.h"
#include "talk/phrase.h"
#include "text/cp1251.h"
#include "text/russian.h"
#include "text/tree_line.h"

namespace besedka {
namespace {

bool holdsAnswer(std::string_view line, std::string_view reply) {
    const TreeLine tree(line);
    for (std::size_t i = 1; i <= tree.answerCount(); ++i) {
        if (cyrillicUpper(tree.answer(i)) == cyrillicUpper(reply)) {
            return true;
        }
    }
    return false;
}

// The chat's place right after it said `reply` from the first line that holds
// it; its line numbers are the outline's nodes, which are the tree's lines.
ChatPlace placeAfter(const TextLines& tree, std::string_view reply) {
    for (std::size_t i = 1; i < tree.size(); ++i) {
        if (holdsAnswer(tree[i], reply)) {
            const TreeLine line(tree[i]);
            return {shownPhrase(line.key()), {static_cast<int>(line.depth()) + 1, i}};
        }
    }
    RefusalFacts facts;
    facts.text = cp1251ToUtf8(reply);
    throw CurationError(Refusal::NoLineAnswers, facts,
                        "no tree line answers \"" + facts.text +
                            "\": --after takes a reply the tree gives");
}

std::string replyFileOf(const Answering& answering, std::string_view phrase) {
    switch (answering.step) {
    case Answering::Step::Repeat:
        return paths::kPovtor;
    case Answering::Step::Insult:
        return paths::kInsultReplies;
    case Answering::Step::LongPhrase:
        return paths::kBigString;
    case Answering::Step::Tree:
        return paths::kWords;
    case Answering::Step::Nothing:
        break;
    }
    if (!answering.entry.empty()) {
        return {};
    }
    return shownPhrase(phrase).ends_with('?') ? paths::kQuestions : paths::kStatements;
}

} // namespace

AnswerExplained explainAnswer(const TextLines& tree, std::string_view phrase,
                              const std::optional<std::string>& afterReply) {
    AnswerExplained explained;
    ChatPlace place;
    if (afterReply) {
        place = placeAfter(tree, *afterReply);
        explained.afterNumber = place.branch.line + 1;
    }
    const OutlineMerge outline(tree);
    explained.answering = whatAnswers(outline, phrase, place);
    if (const auto node = explained.answering.line) {
        explained.lineNumber = *node + 1;
        explained.line = std::string(outline.text(*node));
        explained.key = std::string(TreeLine(explained.line).key());
    }
    explained.replyFile = replyFileOf(explained.answering, phrase);
    return explained;
}

} // namespace besedka

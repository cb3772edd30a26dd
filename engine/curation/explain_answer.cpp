#include "curation/explain_answer.h"

#include "curation/curation_error.h"
#include "files/kb_paths.h"
#include "talk/phrase.h"
#include "text/cp1251.h"
#include "text/russian.h"
#include "text/tree_line.h"

#include <algorithm>
#include <vector>

namespace besedka {
namespace {

bool sameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return cyrillicUpper(x) == cyrillicUpper(y); });
}

// Letter by letter, with no copy: a reply no line holds reads the whole tree.
bool holdsAnswer(std::string_view line, std::string_view reply) {
    const TreeLine tree(line);
    for (std::size_t i = 1; i <= tree.answerCount(); ++i) {
        if (sameLetters(tree.answer(i), reply)) {
            return true;
        }
    }
    return false;
}

// The chat's place right after it said `reply` from the first line that holds
// it, looked for among `lines` (in order, every line that may hold it) or
// else in the whole tree; its line numbers are the outline's nodes, which are
// the tree's lines.
ChatPlace placeAfter(const TextLines& tree, std::string_view reply,
                     const std::vector<std::size_t>* lines) {
    std::optional<std::size_t> first;
    if (lines != nullptr) {
        const auto found = std::find_if(lines->begin(), lines->end(),
                                        [&](std::size_t i) { return holdsAnswer(tree[i], reply); });
        first = found == lines->end() ? std::nullopt : std::optional(*found);
    } else {
        for (std::size_t i = 1; i < tree.size() && !first; ++i) {
            if (holdsAnswer(tree[i], reply)) {
                first = i;
            }
        }
    }
    if (first) {
        const TreeLine line(tree[*first]);
        return {shownPhrase(line.key()), {static_cast<int>(line.depth()) + 1, *first}};
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

// Answers at the place after a reply, if any.
AnswerExplained explainAt(const OutlineMerge& outline, std::string_view phrase,
                          const std::optional<ChatPlace>& after) {
    AnswerExplained explained;
    ChatPlace place;
    if (after) {
        place = *after;
        explained.afterNumber = place.branch.line + 1;
    }
    explained.answering = whatAnswers(outline, phrase, place);
    if (const auto node = explained.answering.line) {
        explained.lineNumber = *node + 1;
        explained.line = std::string(outline.text(*node));
        explained.key = std::string(TreeLine(explained.line).key());
    }
    explained.replyFile = replyFileOf(explained.answering, phrase);
    return explained;
}

} // namespace

AnswerExplained explainAnswer(const TextLines& tree, std::string_view phrase,
                              const std::optional<std::string>& afterReply) {
    std::optional<ChatPlace> after;
    if (afterReply) {
        after = placeAfter(tree, *afterReply, nullptr);
    }
    return explainAt(OutlineMerge(tree), phrase, after);
}

// A line that holds the reply among its answers holds it in its search text:
// only the lines the search finds for it are read.
AnswerExplained explainAnswer(const TextLines& tree, const OutlineMerge& outline,
                              const TreeSearch& search, std::string_view phrase,
                              const std::optional<std::string>& afterReply) {
    std::optional<ChatPlace> after;
    if (afterReply) {
        const std::vector<std::size_t> lines = search.find(*afterReply).lines;
        after = placeAfter(tree, *afterReply, &lines);
    }
    return explainAt(outline, phrase, after);
}

} // namespace besedka

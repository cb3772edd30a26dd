#include "curation/taught_answers.h"

#include "curation/answering_step.h"
#include "talk/phrase.h"
#include "talk/responder_rules.h"
#include "text/cp1251.h"
#include "text/tree_line.h"

#include <algorithm>
#include <optional>

namespace besedka {
namespace {

constexpr int kPlacingRounds = 8;

std::string inQuotes(std::string_view cp1251) {
    return "\"" + cp1251ToUtf8(cp1251) + "\"";
}

// Why a pair is not answered as taught; `lineIndices` give the tree lines'
// numbers, counted as a text editor counts them.
std::string reasonFor(const Answering& answering, const OutlineMerge& tree,
                      const std::vector<std::uint32_t>& lineIndices) {
    const auto lineNamed = [&](OutlineMerge::Node node) {
        return "line " + std::to_string(lineIndices[node] + 1) + " (key " +
               inQuotes(TreeLine(tree.text(node)).key()) + ")";
    };
    switch (answering.step) {
    case Answering::Step::Repeat:
        return "it is the utterance before it said again: the repeat list answers it";
    case Answering::Step::Insult:
        return "it holds the insult " + inQuotes(answering.entry) + ": the insult list answers it";
    case Answering::Step::LongPhrase:
        return "it is " + std::to_string(answering.shownLength) + " characters long (" +
               std::to_string(kLongPhrase) + " or more): the long-phrase list answers it " +
               std::to_string(kGateOpenings) + " times in " + std::to_string(kGateDraws);
    case Answering::Step::Tree:
        return "tree " + lineNamed(*answering.line) + " answers it instead";
    case Answering::Step::Nothing:
        break;
    }
    if (!answering.entry.empty()) {
        return "no tree line answers it, and it touches a personal topic (" +
               inQuotes(answering.entry) + "): the chat says its last reply again";
    }
    return "no tree line answers it: it would be learned";
}

} // namespace

std::string saidPhrase(std::string_view utterance) {
    if (holdsLineBreak(utterance)) {
        return learnedText(utterance);
    }
    return std::string(utterance);
}

namespace {

// One round of checkAnswers(); `moved` tells whether a line was put before
// another, which only `place` allows.
AnswerCheck followPairs(OutlineMerge& tree, const std::vector<TaughtPair>& pairs, bool place,
                        bool& moved) {
    AnswerCheck check;
    std::vector<std::uint32_t> lineIndices; // once a pair is not answered
    ChatPlace chat;
    std::optional<std::size_t> lostAt; // the text line of the dialogue's first pair not answered
    for (const TaughtPair& pair : pairs) {
        if (pair.opensDialogue) {
            chat = {};
            lostAt.reset();
        }
        const std::string phrase = saidPhrase(pair.said->text);
        const Answering answering = whatAnswers(tree, phrase, chat);
        if (answering.step == Answering::Step::Tree && answering.line == pair.line) {
            ++check.answered;
            continue;
        }
        if (place && tree.placeForWalk(pair.line, phraseKey(phrase))) {
            moved = true;
        }
        if (moved) {
            continue; // followed again in the next round
        }
        if (lineIndices.empty()) {
            lineIndices = tree.lineIndices();
        }
        std::string reason = reasonFor(answering, tree, lineIndices);
        if (lostAt) {
            reason = "it follows line " + std::to_string(*lostAt) +
                     ", which is not answered as taught; here " + reason;
        } else {
            lostAt = pair.said->line;
        }
        check.unanswered.push_back({pair.said->line, std::move(reason)});
    }
    return check;
}

} // namespace

AnswerCheck checkAnswers(OutlineMerge& tree, const std::vector<TaughtPair>& pairs) {
    for (int round = 1;; ++round) {
        bool moved = false;
        AnswerCheck check = followPairs(tree, pairs, round < kPlacingRounds, moved);
        if (!moved) {
            return check;
        }
    }
}

} // namespace besedka

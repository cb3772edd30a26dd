#include "curation/teach.h"

#include "curation/change_backup.h"
#include "curation/curation_error.h"
#include "curation/outline_merge.h"
#include "curation/tree.h"
#include "files/kb_paths.h"
#include "talk/phrase.h"
#include "text/russian.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

namespace besedka {
namespace {

constexpr std::size_t kProgressEvery = 16384; // utterances
// Each pair of a dialogue lies one level deeper than the one before, and every
// level is one more "_" on each of its lines: a text without blank lines
// would make the tree grow with the square of its length.
constexpr std::size_t kMaxDialoguePairs = 1000;
// What a key loses at its end: ".", "!", "?", "…" (Windows-1251) and spaces,
// and the line breaks that a phrase of the dialogue log may hold.
constexpr std::string_view kKeyEnd = ".!?\x85 \r\n";
// The chat's input holds at most this many characters: no longer key can
// occur in a phrase.

bool hasLineBreak(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
}

std::string controlCharacter(std::string_view text) {
    const auto control = std::find_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == '\x7F';
    });
    char code[8] = "";
    if (control != text.end()) {
        std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(*control));
    }
    return code;
}

RefusedLine refusedLine(const Utterance& utterance, std::string reason, Refusal code,
                        RefusalFacts facts = {}) {
    return {utterance.line, std::move(reason), code, std::move(facts)};
}

[[nodiscard]] std::optional<RefusedLine> refusal(const Utterance& utterance, bool asKey) {
    RefusalFacts facts;
    if (utterance.control) {
        facts.text = controlCharacter(utterance.text);
        return refusedLine(
            utterance, "holds the control character " + facts.text + ", which no phrase can hold",
            Refusal::UtteranceControl, facts);
    }
    for (const char reserved : {'^', '_', ';'}) {
        if (utterance.text.find(reserved) != std::string_view::npos) {
            facts.text = std::string(1, reserved);
            return refusedLine(utterance,
                               "holds \"" + facts.text + "\", which the tree's lines reserve",
                               Refusal::UtteranceReserved, facts);
        }
    }
    if (utterance.lossy) {
        return refusedLine(utterance, "holds a character without a Windows-1251 form",
                           Refusal::UtteranceNotInCodePage);
    }
    if (!asKey) {
        return std::nullopt;
    }
    const std::string key = teachingKey(utterance.text);
    if (key.empty()) {
        return refusedLine(utterance,
                           "has nothing left for a key once its end punctuation is dropped",
                           Refusal::UtteranceWithoutKey);
    }
    if (key.size() > kLongestTypedPhrase) {
        facts.number = key.size();
        facts.total = kLongestTypedPhrase;
        return refusedLine(
            utterance,
            "is " + std::to_string(key.size()) + " characters long as a key; the chat takes " +
                std::to_string(kLongestTypedPhrase) + " at most, so no phrase could hold it",
            Refusal::UtteranceKeyTooLong, facts);
    }
    return std::nullopt;
}

// An answer that ends in "…", or in a closing quote after an end of sentence,
// ends already: the chat's "." would only follow it.
bool endsOwnSentence(std::string_view answer) {
    const std::size_t end = answer.find_last_not_of("\xBB\x94\x93\"");
    const bool quoted = end != std::string_view::npos && end + 1 < answer.size();
    return answer.ends_with('\x85') ||
           (quoted && std::string_view(".!?\x85").find(answer[end]) != std::string_view::npos);
}

std::string storedAnswer(std::string_view utterance) {
    std::string shown = shownPhrase(utterance);
    if (endsOwnSentence(utterance) && shown.size() > utterance.size()) {
        shown.pop_back(); // the "." that the chat adds
    }
    return hasLineBreak(shown) ? learnedText(shown) : shown;
}

// Walks the dialogues as they are taught, into `tree` when there is one: a
// refused utterance ends its dialogue.
class Teacher {
  public:
    Teacher(OutlineMerge* tree, TeachReport& report) : tree_(tree), report_(report) {}

    // False when the progress said stop.
    bool teach(const DialogueText& text, const TeachProgress& progress) {
        const std::vector<Utterance>& utterances = text.utterances;
        for (std::size_t i = 0; i < utterances.size(); ++i) {
            if (progress && i % kProgressEvery == 0 && !progress(i, utterances.size())) {
                return false;
            }
            take(utterances[i]);
        }
        endDialogue();
        return true;
    }

  private:
    void take(const Utterance& utterance) {
        if (utterance.opensDialogue) {
            endDialogue();
            ++report_.figures.dialogues;
        }
        if (key_ == nullptr && depth_ >= kMaxDialoguePairs) {
            RefusalFacts facts;
            facts.number = 2 * kMaxDialoguePairs;
            report_.refused.push_back(
                refusedLine(utterance,
                            "follows " + std::to_string(2 * kMaxDialoguePairs) +
                                " utterances without a blank line, which would make the "
                                "tree's lines too deep; blank lines separate dialogues",
                            Refusal::UtteranceTooDeep, facts));
            endDialogue();
        } else if (auto refused = refusal(utterance, key_ == nullptr)) {
            report_.refused.push_back(std::move(*refused));
            endDialogue();
        } else if (key_ == nullptr) {
            key_ = &utterance;
        } else {
            teachPair(*key_, utterance);
            key_ = nullptr;
        }
    }

    void teachPair(const Utterance& key, const Utterance& answer) {
        ++report_.figures.pairs;
        if (tree_ == nullptr) {
            ++depth_;
            return;
        }
        const std::string keyText = teachingKey(key.text);
        std::string answerText = storedAnswer(answer.text);
        const auto found = tree_->find(parent_, depth_, keyText);
        if (found) {
            ++(tree_->addAnswer(*found, answerText) ? report_.figures.newAnswers
                                                    : report_.figures.known);
        } else {
            answerText += ';';
            ++report_.figures.newLines;
        }
        const OutlineMerge::Node node =
            found ? *found : tree_->addLine(parent_, depth_, keyText, answerText);
        tree_->placeForWalk(node, phraseKey(saidPhrase(key.text)));
        pairs_.push_back({&key, node, depth_ == 0});
        parent_ = node;
        ++depth_;
    }

    void endDialogue() {
        if (key_ != nullptr && tree_ != nullptr) {
            const std::string keyText = teachingKey(key_->text);
            if (tree_->find(parent_, depth_, keyText)) {
                ++report_.figures.known;
            } else {
                const auto node = tree_->addLine(parent_, depth_, keyText, "");
                tree_->placeForWalk(node, phraseKey(saidPhrase(key_->text)));
                ++report_.figures.newLines;
            }
        }
        key_ = nullptr;
        parent_ = OutlineMerge::kTop;
        depth_ = 0;
    }

  public:
    // Once the text is taught.
    void checkAnswers() {
        AnswerCheck check = besedka::checkAnswers(*tree_, pairs_);
        report_.answered = check.answered;
        report_.unanswered = std::move(check.unanswered);
    }

  private:
    OutlineMerge* tree_;
    TeachReport& report_;
    std::vector<TaughtPair> pairs_;
    const Utterance* key_ = nullptr; // said, its answer not yet
    OutlineMerge::Node parent_ = OutlineMerge::kTop;
    std::size_t depth_ = 0;
};

} // namespace

std::string teachingKey(std::string_view utterance) {
    if (hasLineBreak(utterance)) {
        return teachingKey(learnedText(utterance));
    }
    std::string key = cyrillicUpper(withoutEnclosingQuotes(utterance));
    const std::size_t end = key.find_last_not_of(kKeyEnd);
    key.resize(end == std::string::npos ? 0 : end + 1);
    return key;
}

TeachReport teachOutline(OutlineMerge& tree, const DialogueText& text,
                         const TeachProgress& progress) {
    TeachReport report;
    Teacher teacher(&tree, report);
    report.cancelled = !teacher.teach(text, progress);
    if (!report.cancelled) {
        teacher.checkAnswers();
    }
    return report;
}

TeachReport teach(FileStore& files, DialogueText text, const TeachOptions& options,
                  const Feedback& feedback, const TeachProgress& progress) {
    if (!text.refusal.empty()) {
        throw CurationError(text.refusalCode, text.refusalFacts, text.refusal);
    }
    TeachReport report;
    Teacher(nullptr, report).teach(text, {});
    if (!report.refused.empty() && !options.skipBad) {
        report.figures = {};
        return report;
    }
    report = {};
    const auto hold = holdForChange(files, feedback);
    OutlineMerge tree(loadTree(files).textLines());
    const std::size_t total = text.utterances.size();
    report = teachOutline(tree, text, progress);
    text = {};
    if (report.cancelled || (progress && !progress(total, total))) {
        TeachReport stopped;
        stopped.cancelled = true;
        return stopped;
    }
    if (!options.dryRun && tree.changed()) {
        const auto backup = backUpBeforeChange(
            files, options.withoutBackup,
            "nothing taught (with --no-backup, kb teach teaches without a backup)",
            feedback.backupReason);
        StringList(tree.lines()).save(files, paths::kWords);
        retireAfterChange(backup);
        report.written = true;
    }
    return report;
}

} // namespace besedka

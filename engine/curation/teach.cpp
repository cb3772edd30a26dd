#include "curation/teach.h"

#include "curation/change_backup.h"
#include "curation/outline_merge.h"
#include "curation/tree.h"
#include "files/kb_paths.h"
#include "talk/phrase.h"
#include "text/russian.h"

#include <algorithm>
#include <optional>

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

bool hasLineBreak(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
}

[[nodiscard]] std::optional<std::string> refusal(const Utterance& utterance, bool asKey) {
    for (const char reserved : {'^', '_', ';'}) {
        if (utterance.text.find(reserved) != std::string_view::npos) {
            return std::string("holds \"") + reserved + "\", which the tree's lines reserve";
        }
    }
    if (utterance.lossy) {
        return "holds a character without a Windows-1251 form";
    }
    if (asKey && utterance.text.find_first_not_of(kKeyEnd) == std::string_view::npos) {
        return "has nothing left for a key once its end punctuation is dropped";
    }
    return std::nullopt;
}

std::string storedAnswer(std::string_view utterance) {
    std::string shown = shownPhrase(utterance);
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
            report_.refused.push_back(
                {utterance.line, "follows " + std::to_string(2 * kMaxDialoguePairs) +
                                     " utterances without a blank line, which would make the "
                                     "tree's lines too deep; blank lines separate dialogues"});
            endDialogue();
        } else if (const auto why = refusal(utterance, key_ == nullptr)) {
            report_.refused.push_back({utterance.line, *why});
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
        if (const auto node = tree_->find(parent_, depth_, keyText)) {
            ++(tree_->addAnswer(*node, answerText) ? report_.figures.newAnswers
                                                   : report_.figures.known);
            parent_ = *node;
        } else {
            answerText += ';';
            parent_ = tree_->addLine(parent_, depth_, keyText, answerText);
            ++report_.figures.newLines;
        }
        ++depth_;
    }

    void endDialogue() {
        if (key_ != nullptr && tree_ != nullptr) {
            const std::string keyText = teachingKey(key_->text);
            if (tree_->find(parent_, depth_, keyText)) {
                ++report_.figures.known;
            } else {
                tree_->addLine(parent_, depth_, keyText, "");
                ++report_.figures.newLines;
            }
        }
        key_ = nullptr;
        parent_ = OutlineMerge::kTop;
        depth_ = 0;
    }

    OutlineMerge* tree_;
    TeachReport& report_;
    const Utterance* key_ = nullptr; // said, its answer not yet
    OutlineMerge::Node parent_ = OutlineMerge::kTop;
    std::size_t depth_ = 0;
};

} // namespace

std::string teachingKey(std::string_view utterance) {
    std::string key = cyrillicUpper(hasLineBreak(utterance) ? learnedText(utterance) : utterance);
    const std::size_t end = key.find_last_not_of(kKeyEnd);
    key.resize(end == std::string::npos ? 0 : end + 1);
    return key;
}

TeachReport teachOutline(OutlineMerge& tree, const DialogueText& text,
                         const TeachProgress& progress) {
    TeachReport report;
    report.cancelled = !Teacher(&tree, report).teach(text, progress);
    return report;
}

TeachReport teach(FileStore& files, DialogueText text, const TeachOptions& options,
                  const Feedback& feedback, const TeachProgress& progress) {
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

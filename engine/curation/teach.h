#pragma once

#include "curation/dialogue_text.h"
#include "curation/feedback.h"
#include "curation/taught_answers.h"
#include "files/file_store.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace besedka {

// Told how many utterances of how many are taught; returning false stops the
// teaching with the files as they were.
using TeachProgress = std::function<bool(std::size_t done, std::size_t total)>;

struct TeachOptions {
    bool skipBad = false; // teach the rest when lines are refused
    bool dryRun = false;
    bool withoutBackup = false; // teach even when no backup can be made
};

struct TeachFigures {
    std::size_t dialogues = 0;
    std::size_t pairs = 0;
    std::size_t newLines = 0;
    std::size_t newAnswers = 0;
    std::size_t known = 0; // pairs and last keys already there
};

struct RefusedLine {
    std::size_t line = 0; // as a text editor counts
    std::string reason;   // in English
    Refusal code = Refusal::UtteranceWithoutKey;
    RefusalFacts facts; // as `code` names them
};

struct TeachReport {
    TeachFigures figures;
    std::vector<RefusedLine> refused;
    // Of the pairs taught, those the chat answers as taught, and the others
    // in the order of the text.
    std::size_t answered = 0;
    std::vector<UnansweredPair> unanswered;
    bool written = false;   // the tree was saved
    bool cancelled = false; // the progress said stop; nothing written
};

// The key that teaching gives an utterance: in capitals, without trailing
// ".", "!", "?", "…" and spaces. Empty when nothing else is left.
std::string teachingKey(std::string_view utterance);

// Teaches the dialogues to the tree: in each, the utterances u1, u2, u3, u4 …
// become the line keyed by u1 with the answer u2 at the top of the outline,
// the line keyed by u3 with the answer u4 in its branch, and so on, so that
// the tree walk answers u1, u3 … with u2, u4 …. A line with the key at its
// place gets the answer unless it has it; otherwise a line is added at the
// end of the parent's branch. An odd last utterance becomes a line without
// answers when it is new.
//
// An utterance that cannot be stored (holding "^", "_" or ";", a character
// without a Windows-1251 form, a key that would be empty, or a key after 2000
// utterances of one dialogue, whose line would lie too deep) is refused: then
// nothing is taught, unless `skipBad`, where it ends its dialogue and the
// utterances after it start a new one. Under the lock of Base, after a
// backup, with one atomic save of the tree; file errors throw FileError, and
// a backup that cannot be made refuses the change (NoBackupMade) unless
// `withoutBackup`.
// The text is let go before the save, so that it does not add to the memory
// that the save needs.
TeachReport teach(FileStore& files, DialogueText text, const TeachOptions& options,
                  const Feedback& feedback, const TeachProgress& progress = {});

class OutlineMerge;

// The same teaching into a tree held in memory, with the check of its
// answers; refused utterances end their dialogue. Stops early, `cancelled`
// set, when the progress says so.
TeachReport teachOutline(OutlineMerge& tree, const DialogueText& text,
                         const TeachProgress& progress = {});

} // namespace besedka

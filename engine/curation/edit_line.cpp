#include "curation/edit_line.h"

#include "curation/curation_error.h"
#include "files/kb_paths.h"
#include "text/cp1251.h"
#include "text/russian.h"
#include "text/tree_line.h"

#include <algorithm>
#include <vector>

namespace besedka {
namespace {

// A learned line taken apart: depth marks, key, answers without their ";".
struct LineParts {
    std::string marks;
    std::string key;
    std::vector<std::string> answers;

    std::string text() const {
        std::string line = marks + key + '^';
        for (const std::string& answer : answers) {
            line += answer + ';';
        }
        return line;
    }
};

LineParts partsOf(std::string_view line) {
    const TreeLine tree(line);
    LineParts parts{std::string(tree.depth(), '_'), std::string(tree.key()), {}};
    for (std::size_t k = 1; k <= tree.answerCount(); ++k) {
        parts.answers.emplace_back(tree.answer(k));
    }
    return parts;
}

std::string lineName(std::size_t number) {
    return "line " + std::to_string(number) + " of " + paths::kWords;
}

RefusalFacts lineFacts(std::size_t number) {
    RefusalFacts facts;
    facts.line = number;
    facts.path = paths::kWords;
    return facts;
}

void checkShown(const StringList& tree, const ShownLine& shown) {
    RefusalFacts facts = lineFacts(shown.number);
    if (shown.number < 2 || shown.number > tree.count()) {
        throw CurationError(Refusal::NoLearnedLine, facts,
                            "no learned " + lineName(shown.number) + "; nothing changed");
    }
    const std::string_view now = tree.line(shown.number - 1);
    if (now != shown.text) {
        facts.text = cp1251ToUtf8(now);
        throw CurationError(Refusal::LineChanged, facts,
                            lineName(shown.number) + " is now \"" + facts.text +
                                "\", not the line expected; nothing changed");
    }
    if (const auto problem = treeLineProblem(now)) {
        facts.text = *problem;
        facts.number = static_cast<std::size_t>(*treeLineFault(now));
        throw CurationError(Refusal::LineBreaksGrammar, facts,
                            lineName(shown.number) + " breaks the grammar (" + *problem +
                                "); nothing changed");
    }
}

Refusal refusalOf(PhraseProblem problem) {
    switch (problem) {
    case PhraseProblem::Empty:
        return Refusal::PhraseEmpty;
    case PhraseProblem::Delimiter:
        return Refusal::PhraseDelimiter;
    case PhraseProblem::LineBreak:
        return Refusal::PhraseControl;
    case PhraseProblem::NotInCodePage:
        break;
    }
    return Refusal::PhraseNotInCodePage;
}

std::string checkedPhrase(std::string_view utf8) {
    if (const auto problem = phraseProblem(utf8)) {
        throw CurationError(refusalOf(*problem), {}, describe(*problem) + "; nothing changed");
    }
    return utf8ToCp1251(utf8);
}

void checkAnswerNumber(const LineParts& parts, std::size_t answer, std::size_t number) {
    if (answer < 1 || answer > parts.answers.size()) {
        RefusalFacts facts = lineFacts(number);
        facts.number = answer;
        throw CurationError(Refusal::NoSuchAnswer, facts,
                            lineName(number) + " has no answer " + std::to_string(answer) +
                                "; nothing changed");
    }
}

// Loads the tree under the lock, checks the line, lets `change` rework its
// parts and saves the tree with the line in its place.
template <typename Change>
NumberedLine changeLine(FileStore& files, const ShownLine& shown, const Feedback& feedback,
                        Change change) {
    backUpBeforeFirstWrite(files, feedback.problem, feedback.backupReason);
    const auto hold = holdForChange(files, feedback);
    const StringList tree = loadTree(files);
    checkShown(tree, shown);
    LineParts parts = partsOf(shown.text);
    change(parts);
    std::vector<std::string> lines = tree.lines();
    lines[shown.number - 1] = parts.text();
    StringList(lines).save(files, paths::kWords);
    return {shown.number, lines[shown.number - 1]};
}

} // namespace

std::optional<PhraseProblem> phraseProblem(std::string_view utf8) {
    if (utf8.empty()) {
        return PhraseProblem::Empty;
    }
    if (utf8.find_first_of("^_;") != std::string_view::npos) {
        return PhraseProblem::Delimiter;
    }
    if (std::any_of(utf8.begin(), utf8.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
        return PhraseProblem::LineBreak;
    }
    if (cp1251ToUtf8(utf8ToCp1251(utf8)) != utf8) {
        return PhraseProblem::NotInCodePage;
    }
    return std::nullopt;
}

std::string describe(PhraseProblem problem) {
    switch (problem) {
    case PhraseProblem::Empty:
        return "the text is empty";
    case PhraseProblem::Delimiter:
        return "the text holds \"^\", \"_\" or \";\", which the tree's lines use as delimiters";
    case PhraseProblem::LineBreak:
        return "the text holds a line break or another control character";
    case PhraseProblem::NotInCodePage:
        return "the text holds a character that Windows-1251 cannot write";
    }
    return "the text cannot be stored";
}

NumberedLine setKey(FileStore& files, const ShownLine& shown, std::string_view utf8Key,
                    const Feedback& feedback) {
    const std::string key = cyrillicUpper(checkedPhrase(utf8Key));
    return changeLine(files, shown, feedback, [&](LineParts& parts) { parts.key = key; });
}

NumberedLine setAnswer(FileStore& files, const ShownLine& shown, std::size_t answer,
                       std::string_view utf8Answer, const Feedback& feedback) {
    const std::string text = checkedPhrase(utf8Answer);
    return changeLine(files, shown, feedback, [&](LineParts& parts) {
        checkAnswerNumber(parts, answer, shown.number);
        parts.answers[answer - 1] = text;
    });
}

NumberedLine addAnswer(FileStore& files, const ShownLine& shown, std::string_view utf8Answer,
                       const Feedback& feedback) {
    const std::string text = checkedPhrase(utf8Answer);
    return changeLine(files, shown, feedback,
                      [&](LineParts& parts) { parts.answers.push_back(text); });
}

NumberedLine removeAnswer(FileStore& files, const ShownLine& shown, std::size_t answer,
                          const Feedback& feedback) {
    return changeLine(files, shown, feedback, [&](LineParts& parts) {
        checkAnswerNumber(parts, answer, shown.number);
        parts.answers.erase(parts.answers.begin() + static_cast<std::ptrdiff_t>(answer - 1));
    });
}

} // namespace besedka

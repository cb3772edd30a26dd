#include "curation/dialogue_text.h"

#include "text/plain_text.h"
#include "text/rtf.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>

namespace besedka {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUserPrefix = "USER:";
constexpr std::string_view kReplyPrefix = "CPU:";
constexpr std::size_t kLogBlockRule = 80; // "-" that open a log block
constexpr std::size_t kLogBlockEnd = 53;  // "=" that close it

std::string_view trimmed(std::string_view text) {
    const std::size_t start = text.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) {
        return {};
    }
    return text.substr(start, text.find_last_not_of(kBlanks) - start + 1);
}

bool isRule(std::string_view line, char c, std::size_t length) {
    return line.size() == length && line.find_first_not_of(c) == std::string_view::npos;
}

// The utterance of a log line, or nothing when the line has no log prefix.
std::optional<std::string_view> afterLogPrefix(std::string_view line) {
    for (const std::string_view prefix : {kUserPrefix, kReplyPrefix}) {
        if (line.starts_with(prefix)) {
            return trimmed(line.substr(prefix.size()));
        }
    }
    return std::nullopt;
}

std::string_view withoutDialogueDash(std::string_view line) {
    // "—" and "–" in Windows-1251, and the hyphen.
    for (const std::string_view dash : {"\x97 ", "\x96 ", "- "}) {
        if (line.starts_with(dash)) {
            return trimmed(line.substr(dash.size()));
        }
    }
    return line;
}

struct SourceLines {
    TextLines lines;
    std::vector<bool> lossy;
};

std::size_t questionMarks(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '?'));
}

// A UTF-8 line whose converted form holds more "?" than it did had
// characters without a Windows-1251 form (or broken sequences).
SourceLines sourceLines(std::string bytes) {
    if (auto rtf = readRtfLines(bytes)) {
        const std::size_t count = rtf->size();
        return {std::move(*rtf), std::vector<bool>(count, false)};
    }
    auto original = std::make_shared<const std::string>(std::move(bytes));
    auto converted = utf8TextAsCp1251(*original);
    if (!converted) {
        TextLines lines = plainTextLines(std::move(original));
        const std::size_t count = lines.size();
        return {std::move(lines), std::vector<bool>(count, false)};
    }
    SourceLines source{plainTextLines(std::make_shared<const std::string>(std::move(*converted))),
                       {}};
    const TextLines utf8 = plainTextLines(original);
    source.lossy.resize(source.lines.size(), false);
    for (std::size_t i = 0; i < source.lines.size() && i < utf8.size(); ++i) {
        source.lossy[i] = questionMarks(source.lines[i]) != questionMarks(utf8[i]);
    }
    return source;
}

class DialogueReader {
  public:
    explicit DialogueReader(DialogueText& text) : text_(text) {}

    void read(std::string_view text, std::uint32_t number, bool lossy) {
        const std::string_view line = trimmed(text);
        if (line.empty()) {
            endDialogue();
        } else if (isRule(line, '-', kLogBlockRule)) {
            endDialogue();
            inLogBlock_ = true;
            blockTalks_ = false;
        } else if (inLogBlock_ && isRule(line, '=', kLogBlockEnd)) {
            endDialogue();
            inLogBlock_ = false;
        } else if (const auto said = afterLogPrefix(line)) {
            blockTalks_ = true;
            if (said->empty()) {
                endDialogue(); // an empty reply breaks the exchange
            } else {
                add(*said, number, lossy);
            }
        } else if (inLogBlock_) {
            if (blockTalks_) {
                continueLast(line, lossy); // a phrase that held line breaks
            }
        } else {
            add(withoutDialogueDash(line), number, lossy);
        }
    }

  private:
    void endDialogue() {
        opening_ = true;
        canContinue_ = false;
    }

    void add(std::string_view said, std::uint32_t number, bool lossy) {
        if (said.empty()) {
            return;
        }
        text_.utterances.push_back({said, number, opening_, lossy});
        opening_ = false;
        canContinue_ = true;
    }

    void continueLast(std::string_view line, bool lossy) {
        if (!canContinue_) {
            return;
        }
        Utterance& last = text_.utterances.back();
        std::string& joined = text_.joined.emplace_back(last.text);
        joined += "\r\n";
        joined += line;
        last.text = joined;
        last.lossy = last.lossy || lossy;
    }

    DialogueText& text_;
    bool opening_ = true;
    bool canContinue_ = false;
    bool inLogBlock_ = false;
    bool blockTalks_ = false; // a prefixed line came since the block's rule
};

} // namespace

DialogueText readDialogueText(std::string bytes) {
    SourceLines source = sourceLines(std::move(bytes));
    DialogueText text;
    text.lines = std::move(source.lines);
    DialogueReader reader(text);
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        reader.read(text.lines[i], static_cast<std::uint32_t>(i + 1), source.lossy[i]);
    }
    return text;
}

} // namespace besedka

#include "curation/dialogue_text.h"

#include "curation/knowledge_json.h"
#include "text/rtf.h"
#include "text/text_decoding.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

namespace besedka {
namespace {

constexpr std::string_view kBlanks = " \t\xA0"; // the last a no-break space
constexpr std::string_view kUserPrefix = "USER:";
constexpr std::string_view kReplyPrefix = "CPU:";
constexpr std::size_t kLogBlockRule = 80; // "-" that open a log block
constexpr std::size_t kLogBlockEnd = 53;  // "=" that close it
constexpr std::string_view kFortuneSeparator = "%";
// "—", "–" (Windows-1251), "--" and "-"; the decoding made "―" an em dash.
constexpr std::array<std::string_view, 4> kDialogueDashes = {"\x97", "\x96", "--", "-"};
constexpr std::string_view kDashesAndBlanks = "-\x97\x96 \t\xA0";
constexpr std::size_t kLongestSpeakerName = 40;
constexpr std::size_t kMostSpeakerNameWords = 3;
// Lines read for the start of an export document.
constexpr std::size_t kExportOpeningLines = 8;
constexpr std::string_view kExportDocument =
    "this is an export document: use kb import or kb merge";

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

bool holdsControl(std::string_view line) {
    return std::any_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 ? c != '\t' : byte == 0x7F;
    });
}

bool isLetter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || byte >= 0xC0 || byte == 0xA8 ||
           byte == 0xB8;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
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

// The line after its leading dialogue dash, or nothing when it has none.
std::optional<std::string_view> afterDialogueDash(std::string_view line) {
    for (const std::string_view dash : kDialogueDashes) {
        if (line.starts_with(dash)) {
            return trimmed(line.substr(dash.size()));
        }
    }
    return std::nullopt;
}

bool isSeparator(std::string_view line) {
    return line == kFortuneSeparator ||
           line.find_first_not_of(kDashesAndBlanks) == std::string_view::npos;
}

// A chat log's time before the name: "[12:30]", "(01.02.2024 12:30)" or "12:30:05".
std::string_view afterTime(std::string_view said) {
    if (said.starts_with('[') || said.starts_with('(')) {
        const std::size_t close = said.find(said.front() == '[' ? ']' : ')');
        const std::string_view time = said.substr(0, close);
        if (close != std::string_view::npos && std::any_of(time.begin(), time.end(), isDigit)) {
            return trimmed(said.substr(close + 1));
        }
        return said;
    }
    const std::size_t end = said.find_first_of(kBlanks);
    const std::string_view time = said.substr(0, end);
    const bool isTime = end != std::string_view::npos && time.size() >= 4 &&
                        isDigit(time.front()) && time.find(':') != std::string_view::npos &&
                        time.find_first_not_of("0123456789:") == std::string_view::npos;
    return isTime ? trimmed(said.substr(end)) : said;
}

// A speaker's name: a few words of letters, digits, ".", "-", "_" and "'",
// with a letter among them; a remark in brackets may follow it
// ("ГАМЛЕТ (в сторону)").
bool isSpeakerName(std::string_view name) {
    if (name.ends_with(')')) {
        const std::size_t open = name.find('(');
        if (open == std::string_view::npos) {
            return false;
        }
        name = trimmed(name.substr(0, open));
    }
    const bool wordCharacters = std::all_of(name.begin(), name.end(), [](char c) {
        return isLetter(c) || isDigit(c) ||
               std::string_view(" .-_'").find(c) != std::string_view::npos;
    });
    const auto words = 1 + static_cast<std::size_t>(std::count(name.begin(), name.end(), ' '));
    return !name.empty() && name.size() <= kLongestSpeakerName && wordCharacters &&
           words <= kMostSpeakerNameWords && std::any_of(name.begin(), name.end(), isLetter);
}

// What the speaker says after "NAME: ", or nothing when the utterance does
// not start so.
std::optional<std::string_view> afterSpeakerName(std::string_view said) {
    const std::string_view named = afterTime(said);
    const std::size_t colon = named.find(':');
    if (colon == std::string_view::npos || colon + 1 == named.size() ||
        kBlanks.find(named[colon + 1]) == std::string_view::npos ||
        !isSpeakerName(trimmed(named.substr(0, colon)))) {
        return std::nullopt;
    }
    const std::string_view speech = trimmed(named.substr(colon + 1));
    const std::string_view undashed = afterDialogueDash(speech).value_or(speech);
    if (undashed.empty()) {
        return std::nullopt;
    }
    return undashed;
}

bool isExportDocument(const TextLines& lines) {
    std::string opening;
    for (std::size_t i = 0, kept = 0; i < lines.size() && kept < kExportOpeningLines; ++i) {
        if (!trimmed(lines[i]).empty()) {
            opening += lines[i];
            opening += '\n';
            ++kept;
        }
    }
    return opensKnowledgeJson(opening);
}

struct SourceLines {
    TextLines lines;
    std::vector<bool> lossy;
    std::vector<bool> control; // holding a control character
};

// Bytes that are mostly not text (a program, a picture, UTF-16 without its
// byte order mark) hold control characters in most of their lines.
// The text refused when it is one of them.
bool refusedAsNotText(const SourceLines& source, DialogueText& text) {
    std::size_t written = 0;
    std::size_t control = 0;
    for (std::size_t i = 0; i < source.lines.size(); ++i) {
        if (!trimmed(source.lines[i]).empty()) {
            ++written;
            control += source.control[i] ? 1U : 0U;
        }
    }
    if (2 * control <= written) {
        return false;
    }
    text.refusal = "this is not a text: " + std::to_string(control) + " of its " +
                   std::to_string(written) + " lines hold control characters";
    text.refusalCode = Refusal::NotAText;
    text.refusalFacts.number = control;
    text.refusalFacts.total = written;
    return true;
}

SourceLines sourceLines(std::string bytes) {
    SourceLines source;
    if (auto rtf = readRtfLines(bytes)) {
        source.lines = std::move(*rtf);
        source.lossy.assign(source.lines.size(), false);
    } else {
        DecodedText decoded = decodePlainText(std::move(bytes));
        source.lines = std::move(decoded.lines);
        source.lossy = std::move(decoded.lossy);
    }
    source.control.reserve(source.lines.size());
    for (const std::string_view line : source.lines) {
        source.control.push_back(holdsControl(line));
    }
    return source;
}

class DialogueReader {
  public:
    explicit DialogueReader(DialogueText& text) : text_(text) {}

    // A line of the text, its number, and whether it is lossy and holds a
    // control character.
    void read(std::string_view text, std::uint32_t number, bool lossy, bool control) {
        const std::string_view line = trimmed(text);
        const std::size_t indent = line.empty() ? 0 : text.find_first_not_of(kBlanks);
        const std::optional<std::string_view> undashed = afterDialogueDash(line);
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
            fromLog_ = true;
            if (said->empty()) {
                endDialogue(); // an empty reply breaks the exchange
            } else {
                add(*said, number, lossy, control);
            }
        } else if (inLogBlock_) {
            if (blockTalks_) {
                continueLast(line, "\r\n", lossy, control); // a phrase that held line breaks
            }
        } else if (isSeparator(line)) {
            endDialogue();
        } else if (undashed && indent > 0 && !dashedIndent_ && !opening_) {
            canContinue_ = false; // a saying's author ("\t\t-- Name"), no reply
        } else if (dashedIndent_ && indent > *dashedIndent_ &&
                   (!undashed || breaksOffMidSentence())) {
            continueLast(line, " ", lossy, control); // a dashed utterance wrapped
        } else {
            add(undashed.value_or(line), number, lossy, control);
            if (undashed) {
                dashedIndent_ = indent;
            }
        }
    }

    void finish() { endDialogue(); }

  private:
    void endDialogue() {
        dropSpeakerNames();
        opening_ = true;
        canContinue_ = false;
        fromLog_ = false;
        dashedIndent_.reset();
        dialogueStart_ = text_.utterances.size();
    }

    // A play or a chat log: every utterance of the dialogue after a name.
    void dropSpeakerNames() {
        const auto begin = text_.utterances.begin() + static_cast<std::ptrdiff_t>(dialogueStart_);
        const auto end = text_.utterances.end();
        if (fromLog_ || end - begin < 2 || !std::all_of(begin, end, [](const Utterance& u) {
                return afterSpeakerName(u.text).has_value();
            })) {
            return;
        }
        for (auto said = begin; said != end; ++said) {
            said->text = *afterSpeakerName(said->text);
            said->control = holdsControl(said->text);
        }
    }

    void add(std::string_view said, std::uint32_t number, bool lossy, bool control) {
        dashedIndent_.reset();
        if (said.empty()) {
            return;
        }
        text_.utterances.push_back({said, number, opening_, lossy, control});
        opening_ = false;
        canContinue_ = true;
    }

    // The utterance before ends in a letter, a digit or a mark inside a
    // sentence, so that a deeper line that starts with a dash is the rest of
    // it, wrapped before a dash ("и русский" / "  - Гаврила.").
    bool breaksOffMidSentence() const {
        if (!canContinue_) {
            return false;
        }
        const char last = text_.utterances.back().text.back();
        return isLetter(last) || isDigit(last) ||
               std::string_view(",;:-").find(last) != std::string_view::npos;
    }

    void continueLast(std::string_view line, std::string_view joint, bool lossy, bool control) {
        if (!canContinue_) {
            return;
        }
        Utterance& last = text_.utterances.back();
        std::string& joined = text_.joined.emplace_back(last.text);
        joined += joint;
        joined += line;
        last.text = joined;
        last.lossy = last.lossy || lossy;
        last.control = last.control || control;
    }

    DialogueText& text_;
    bool opening_ = true;
    bool canContinue_ = false;
    bool inLogBlock_ = false;
    bool blockTalks_ = false; // a prefixed line came since the block's rule
    bool fromLog_ = false;    // the dialogue holds lines of a log
    // How far in the dashed line stands that the next lines may continue.
    std::optional<std::size_t> dashedIndent_;
    std::size_t dialogueStart_ = 0; // its first utterance
};

} // namespace

DialogueText readDialogueText(std::string bytes) {
    SourceLines source = sourceLines(std::move(bytes));
    DialogueText text;
    if (isExportDocument(source.lines)) {
        text.refusal = kExportDocument;
        text.refusalCode = Refusal::TextIsExportDocument;
        return text;
    }
    if (refusedAsNotText(source, text)) {
        return text;
    }
    text.lines = std::move(source.lines);
    DialogueReader reader(text);
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        reader.read(text.lines[i], static_cast<std::uint32_t>(i + 1), source.lossy[i],
                    source.control[i]);
    }
    reader.finish();
    return text;
}

std::string_view withoutEnclosingQuotes(std::string_view utterance) {
    // «…», “…”, „…“ and "…" in Windows-1251.
    constexpr std::array<std::pair<char, char>, 4> kQuotes{
        {{'\xAB', '\xBB'}, {'\x93', '\x94'}, {'\x84', '\x93'}, {'"', '"'}}};
    const std::size_t end = utterance.find_last_not_of(".!?\x85 \t\xA0");
    const std::string_view quoted =
        utterance.substr(0, end == std::string_view::npos ? 0 : end + 1);
    for (const auto& [open, close] : kQuotes) {
        if (quoted.size() < 2 || quoted.front() != open || quoted.back() != close) {
            continue;
        }
        // The opening quote must close at the very end: «Да» и «нет» is no quotation.
        const std::string_view inner = quoted.substr(1, quoted.size() - 2);
        std::size_t depth = 1;
        for (const char c : inner) {
            if (c == close && (open == close || --depth == 0)) {
                depth = 0;
                break;
            }
            depth += c == open ? 1 : 0;
        }
        if (depth > 0) {
            return trimmed(inner);
        }
    }
    return utterance;
}

} // namespace besedka

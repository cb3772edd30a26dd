#include "text/rtf.h"

#include "text/cp1251.h"
#include "text/cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Reads the plain text of an RTF document paragraph by paragraph.
//
// The reader is one loop over the bytes with an explicit stack of group
// states, so no input can make it recurse, and every step consumes at least
// one byte, so no input can make it loop. Runs of plain text are found 16
// bytes at a time and copied in bulk; only control words and escapes are
// looked at one by one. The text of all lines goes into one buffer.
//
// What becomes a line break: \par, a backslash before a raw line break (the
// old spelling of \par), \row, and \line. In a rich-edit control \line is a
// soft break inside a paragraph, but the lines of a knowledge-base file are
// records: a producer that broke a line there meant a new line, and joining
// the two parts would make one record out of two. \sect ends a paragraph only
// when text is pending, because writers put it both after a \par and in place
// of one.

namespace besedka {
namespace {

enum class Destination : std::uint8_t {
    Text,      // paragraphs of the document
    Skip,      // ignorable or unwanted destination: everything in it is dropped
    FontTable, // font definitions: only their code pages are kept
};

struct GroupState {
    Destination destination = Destination::Text;
    bool hidden = false;           // \v: hidden text is not part of the lines
    std::uint32_t unicodeSkip = 1; // \ucN: fallback characters after each \uN
    std::int32_t font = -1;        // \fN; -1 is the document's default font
};

enum class Action : std::uint8_t {
    Paragraph,
    Line,
    Row,
    Section,
    Char, // a fixed Windows-1251 byte
    Nothing,
    Unicode,
    UnicodeSkip,
    Binary,
    Font,
    FontCharset,
    FontCodepage,
    AnsiCodepage,
    DefaultFont,
    Hidden,
    Plain,
    FontTable,
    SkipDestination,
};

struct ControlWord {
    std::string_view name;
    Action action;
    char byte = 0;
};

// Sorted by name for binary search. Destinations whose text is not part of
// the document are skipped whether or not the writer marked them with \*.
constexpr std::array kControlWords = {
    ControlWord{"aftncn", Action::SkipDestination},
    ControlWord{"aftnsep", Action::SkipDestination},
    ControlWord{"aftnsepc", Action::SkipDestination},
    ControlWord{"annotation", Action::SkipDestination},
    ControlWord{"ansicpg", Action::AnsiCodepage},
    ControlWord{"atnauthor", Action::SkipDestination},
    ControlWord{"atnid", Action::SkipDestination},
    ControlWord{"author", Action::SkipDestination},
    ControlWord{"bin", Action::Binary},
    ControlWord{"bkmkend", Action::SkipDestination},
    ControlWord{"bkmkstart", Action::SkipDestination},
    ControlWord{"bullet", Action::Char, '\x95'},
    ControlWord{"cell", Action::Char, '\t'},
    ControlWord{"colortbl", Action::SkipDestination},
    ControlWord{"comment", Action::SkipDestination},
    ControlWord{"cpg", Action::FontCodepage},
    ControlWord{"creatim", Action::SkipDestination},
    ControlWord{"datafield", Action::SkipDestination},
    ControlWord{"deff", Action::DefaultFont},
    ControlWord{"do", Action::SkipDestination},
    ControlWord{"doccomm", Action::SkipDestination},
    ControlWord{"docvar", Action::SkipDestination},
    ControlWord{"emdash", Action::Char, '\x97'},
    ControlWord{"emspace", Action::Char, ' '},
    ControlWord{"endash", Action::Char, '\x96'},
    ControlWord{"enspace", Action::Char, ' '},
    ControlWord{"f", Action::Font},
    ControlWord{"falt", Action::SkipDestination},
    ControlWord{"fcharset", Action::FontCharset},
    ControlWord{"fldinst", Action::SkipDestination},
    ControlWord{"fonttbl", Action::FontTable},
    ControlWord{"footer", Action::SkipDestination},
    ControlWord{"footerf", Action::SkipDestination},
    ControlWord{"footerl", Action::SkipDestination},
    ControlWord{"footerr", Action::SkipDestination},
    ControlWord{"footnote", Action::SkipDestination},
    ControlWord{"ftncn", Action::SkipDestination},
    ControlWord{"ftnsep", Action::SkipDestination},
    ControlWord{"ftnsepc", Action::SkipDestination},
    ControlWord{"generator", Action::SkipDestination},
    ControlWord{"header", Action::SkipDestination},
    ControlWord{"headerf", Action::SkipDestination},
    ControlWord{"headerl", Action::SkipDestination},
    ControlWord{"headerr", Action::SkipDestination},
    ControlWord{"info", Action::SkipDestination},
    ControlWord{"keywords", Action::SkipDestination},
    ControlWord{"ldblquote", Action::Char, '\x93'},
    ControlWord{"line", Action::Line},
    ControlWord{"listoverridetable", Action::SkipDestination},
    ControlWord{"listtable", Action::SkipDestination},
    ControlWord{"listtext", Action::SkipDestination},
    ControlWord{"lquote", Action::Char, '\x91'},
    ControlWord{"ltrmark", Action::Nothing},
    ControlWord{"nestcell", Action::Char, '\t'},
    ControlWord{"nestrow", Action::Row},
    ControlWord{"nonshppict", Action::SkipDestination},
    ControlWord{"objdata", Action::SkipDestination},
    ControlWord{"object", Action::SkipDestination},
    ControlWord{"operator", Action::SkipDestination},
    ControlWord{"panose", Action::SkipDestination},
    ControlWord{"par", Action::Paragraph},
    ControlWord{"pict", Action::SkipDestination},
    ControlWord{"plain", Action::Plain},
    ControlWord{"pntext", Action::SkipDestination},
    ControlWord{"pntxta", Action::SkipDestination},
    ControlWord{"pntxtb", Action::SkipDestination},
    ControlWord{"printim", Action::SkipDestination},
    ControlWord{"private", Action::SkipDestination},
    ControlWord{"qmspace", Action::Char, ' '},
    ControlWord{"rdblquote", Action::Char, '\x94'},
    ControlWord{"revtbl", Action::SkipDestination},
    ControlWord{"revtim", Action::SkipDestination},
    ControlWord{"row", Action::Row},
    ControlWord{"rquote", Action::Char, '\x92'},
    ControlWord{"rsidtbl", Action::SkipDestination},
    ControlWord{"rtlmark", Action::Nothing},
    ControlWord{"rxe", Action::SkipDestination},
    ControlWord{"sect", Action::Section},
    ControlWord{"shpinst", Action::SkipDestination},
    ControlWord{"sn", Action::SkipDestination},
    ControlWord{"sp", Action::SkipDestination},
    ControlWord{"stylesheet", Action::SkipDestination},
    ControlWord{"subject", Action::SkipDestination},
    ControlWord{"sv", Action::SkipDestination},
    ControlWord{"tab", Action::Char, '\t'},
    ControlWord{"tc", Action::SkipDestination},
    ControlWord{"template", Action::SkipDestination},
    ControlWord{"title", Action::SkipDestination},
    ControlWord{"txe", Action::SkipDestination},
    ControlWord{"u", Action::Unicode},
    ControlWord{"uc", Action::UnicodeSkip},
    ControlWord{"userprops", Action::SkipDestination},
    ControlWord{"v", Action::Hidden},
    ControlWord{"xe", Action::SkipDestination},
    ControlWord{"xmlnsdecl", Action::SkipDestination},
    ControlWord{"zwj", Action::Nothing},
    ControlWord{"zwnj", Action::Nothing},
};

static_assert(std::is_sorted(kControlWords.begin(), kControlWords.end(),
                             [](const ControlWord& a, const ControlWord& b) {
                                 return a.name < b.name;
                             }));

const ControlWord* findControlWord(std::string_view name) {
    // Every line ends in \par: find it without the search.
    static const ControlWord* const par = [] {
        const auto* it = std::find_if(kControlWords.begin(), kControlWords.end(),
                                      [](const ControlWord& word) { return word.name == "par"; });
        return it != kControlWords.end() ? &*it : nullptr;
    }();
    if (name == "par") {
        return par;
    }
    const auto* it = std::lower_bound(
        kControlWords.begin(), kControlWords.end(), name,
        [](const ControlWord& word, std::string_view key) { return word.name < key; });
    return it != kControlWords.end() && it->name == name ? it : nullptr;
}

// Code page of a font's \fcharset; 0 means "the document's".
int codepageOfCharset(std::int64_t charset) {
    switch (charset) {
    case 0:
        return 1252;
    case 204:
        return 1251;
    default:
        return 0;
    }
}

// Value of each hex digit byte; -1 for any other byte.
constexpr std::array<std::int8_t, 256> kHexValue = [] {
    std::array<std::int8_t, 256> table{};
    table.fill(-1);
    for (std::size_t i = 0; i < 10; ++i) {
        table['0' + i] = static_cast<std::int8_t>(i);
    }
    for (std::size_t i = 0; i < 6; ++i) {
        table['a' + i] = static_cast<std::int8_t>(10 + i);
        table['A' + i] = static_cast<std::int8_t>(10 + i);
    }
    return table;
}();

int hexDigit(char c) {
    return kHexValue[static_cast<unsigned char>(c)];
}

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Bytes that end a run of plain text.
constexpr std::array<bool, 256> kSpecial = [] {
    std::array<bool, 256> table{};
    for (const char c : {'\\', '{', '}', '\r', '\n'}) {
        table[static_cast<unsigned char>(c)] = true;
    }
    return table;
}();

// Position of the first byte from `pos` on that ends a run of plain text, or
// the size of `bytes` when there is none.
std::size_t findRunEnd(std::string_view bytes, std::size_t pos) {
#if defined(__SSE2__)
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i open = _mm_set1_epi8('{');
    const __m128i close = _mm_set1_epi8('}');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (bytes.size() - pos >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + pos));
        const __m128i found = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(chunk, backslash), _mm_cmpeq_epi8(chunk, open)),
            _mm_or_si128(_mm_cmpeq_epi8(chunk, close),
                         _mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf))));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(found));
        if (mask != 0) {
            return pos + static_cast<std::size_t>(__builtin_ctz(mask));
        }
        pos += 16;
    }
#endif
    while (pos < bytes.size() && !kSpecial[static_cast<unsigned char>(bytes[pos])]) {
        ++pos;
    }
    return pos;
}

// The lines read, and where a stray "}" closed the document (see RtfText).
struct ReadLines {
    TextLines lines;
    std::vector<std::size_t> strayBraces;
    bool closed = false; // see RtfText
};

// Group states beyond this depth are not stored: deeper groups share the
// state of the deepest stored one. Keeps memory bounded on hostile input.
constexpr std::size_t kMaxStoredDepth = 1u << 16;
constexpr std::int64_t kParameterLimit = std::int64_t{1} << 40;

class RtfReader {
  public:
    explicit RtfReader(std::string_view bytes) : bytes_(bytes) {
        stack_.emplace_back();
        text_.reserve(bytes.size()); // a line's text is never longer than its RTF
    }

    ReadLines read() {
        while (pos_ < bytes_.size()) {
            switch (bytes_[pos_]) {
            case '{':
                ++pos_;
                openGroup();
                break;
            case '}':
                ++pos_;
                if (!closeGroup() && endOfDocument()) {
                    return finish(true);
                }
                break;
            case '\\':
                controlSequence();
                break;
            case '\r':
            case '\n':
                ++pos_;
                break;
            default:
                textRun();
            }
        }
        return finish(false);
    }

  private:
    GroupState& state() { return stack_.back(); }
    bool emitting() const {
        return stack_.back().destination == Destination::Text && !stack_.back().hidden;
    }

    void openGroup() {
        pendingSkip_ = 0;
        if (stack_.size() < kMaxStoredDepth) {
            stack_.push_back(stack_.back());
        } else {
            ++unstoredDepth_;
        }
    }

    // False when the outermost group closes, which ends the document.
    bool closeGroup() {
        pendingSkip_ = 0;
        if (unstoredDepth_ > 0) {
            --unstoredDepth_;
            return true;
        }
        if (stack_.size() > 2) {
            stack_.pop_back();
            return true;
        }
        return false;
    }

    // The outermost group has closed: the document ends here unless more than
    // white space follows. No writer puts text after the end, so such a "}" is
    // a slip of hand-editing: it is noted and dropped, and the text after it
    // is read on as part of the document.
    bool endOfDocument() {
        constexpr std::string_view kTrailingSpace(" \t\r\n\0", 5);
        if (bytes_.find_first_not_of(kTrailingSpace, pos_) == std::string_view::npos) {
            return true;
        }
        strayBraces_.push_back(lineEnds_.size());
        return false;
    }

    void textRun() {
        const std::size_t start = pos_;
        pos_ = findRunEnd(bytes_, pos_);
        if (!emitting()) {
            return;
        }
        std::string_view run = bytes_.substr(start, pos_ - start);
        if (pendingSkip_ > 0) {
            const std::size_t skipped = std::min<std::size_t>(pendingSkip_, run.size());
            pendingSkip_ -= static_cast<std::uint32_t>(skipped);
            run.remove_prefix(skipped);
        }
        text_.append(run);
    }

    // A fallback character after \uN is dropped; any other goes into the line.
    void put(char c) {
        if (pendingSkip_ > 0) {
            --pendingSkip_;
        } else if (emitting()) {
            text_ += c;
        }
    }

    // Control symbols and control words count as one fallback character.
    bool consumedAsFallback() {
        if (pendingSkip_ == 0) {
            return false;
        }
        --pendingSkip_;
        return true;
    }

    // Where the line being read starts in text_.
    std::size_t lineStart() const { return lineEnds_.empty() ? 0 : lineEnds_.back(); }
    bool lineHasText() const { return text_.size() > lineStart(); }

    void endParagraph() {
        if (state().destination == Destination::Text) {
            lineEnds_.push_back(text_.size());
        }
    }

    void controlSequence() {
        ++pos_; // the backslash
        if (pos_ >= bytes_.size()) {
            return;
        }
        const char c = bytes_[pos_];
        if (isLetter(c)) {
            controlWord();
        } else if (c == '\'') {
            ++pos_;
            hexEscape();
        } else {
            ++pos_;
            controlSymbol(c);
        }
    }

    void hexEscape() {
        if (pos_ + 1 >= bytes_.size()) {
            pos_ = bytes_.size();
            return;
        }
        const int high = hexDigit(bytes_[pos_]);
        const int low = hexDigit(bytes_[pos_ + 1]);
        if (high < 0 || low < 0) {
            return; // not an escape: the bytes are read as they are
        }
        pos_ += 2;
        const auto byte = static_cast<unsigned char>(high * 16 + low);
        put(byte >= 0x80 && codepage() == 1252 ? cp1252ToCp1251(byte) : static_cast<char>(byte));
        if (pendingSkip_ == 0 && emitting() && codepage() != 1252) {
            hexEscapeRun();
        }
    }

    // Cyrillic text is a long row of \'xx escapes; takes the rest of such a row
    // in one tight loop when each escape is simply a byte of the line.
    void hexEscapeRun() {
        while (pos_ + 3 < bytes_.size() && bytes_[pos_] == '\\' && bytes_[pos_ + 1] == '\'') {
            const int high = hexDigit(bytes_[pos_ + 2]);
            const int low = hexDigit(bytes_[pos_ + 3]);
            if (high < 0 || low < 0) {
                return;
            }
            text_ += static_cast<char>(high * 16 + low);
            pos_ += 4;
        }
    }

    void controlSymbol(char c) {
        if (c == '*') {
            // Marks the group as a destination that a reader may ignore.
            state().destination = Destination::Skip;
            return;
        }
        if (consumedAsFallback()) {
            return;
        }
        switch (c) {
        case '\\':
        case '{':
        case '}':
        case '\t':
            put(c);
            break;
        case '~':
            put('\xA0');
            break;
        case '_':
            put('-');
            break;
        case '\r':
        case '\n':
            endParagraph();
            break;
        default: // \- optional hyphen, \: index subentry, \| formula and the unknown
            break;
        }
    }

    void controlWord() {
        const std::size_t start = pos_;
        while (pos_ < bytes_.size() && isLetter(bytes_[pos_])) {
            ++pos_;
        }
        const std::string_view name = bytes_.substr(start, pos_ - start);
        const std::optional<std::int64_t> parameter = readParameter();
        if (pos_ < bytes_.size() && bytes_[pos_] == ' ') {
            ++pos_;
        }
        const ControlWord* word = findControlWord(name);
        if (word != nullptr && word->action == Action::Binary) {
            skipBinary(parameter.value_or(0));
        }
        if (consumedAsFallback() || word == nullptr) {
            return;
        }
        apply(*word, parameter);
    }

    std::optional<std::int64_t> readParameter() {
        const bool negative =
            pos_ + 1 < bytes_.size() && bytes_[pos_] == '-' && isDigit(bytes_[pos_ + 1]);
        if (negative) {
            ++pos_;
        } else if (pos_ >= bytes_.size() || !isDigit(bytes_[pos_])) {
            return std::nullopt;
        }
        std::int64_t value = 0;
        while (pos_ < bytes_.size() && isDigit(bytes_[pos_])) {
            value = std::min(value * 10 + (bytes_[pos_] - '0'), kParameterLimit);
            ++pos_;
        }
        return negative ? -value : value;
    }

    void skipBinary(std::int64_t count) {
        if (count > 0) {
            pos_ += std::min(static_cast<std::size_t>(count), bytes_.size() - pos_);
        }
    }

    void apply(const ControlWord& word, std::optional<std::int64_t> parameter) {
        GroupState& group = state();
        const bool inFontTable = group.destination == Destination::FontTable;
        switch (word.action) {
        case Action::Paragraph:
        case Action::Line:
            endParagraph();
            break;
        case Action::Row:
            if (lineHasText() && text_.back() == '\t') {
                text_.pop_back(); // the tab of the row's last \cell
            }
            endParagraph();
            break;
        case Action::Section:
            if (lineHasText()) {
                endParagraph();
            }
            break;
        case Action::Char:
            put(word.byte);
            break;
        case Action::Nothing:
        case Action::Binary:
            break;
        case Action::Unicode:
            if (parameter) {
                unicode(*parameter);
            }
            break;
        case Action::UnicodeSkip:
            if (parameter && *parameter >= 0) {
                group.unicodeSkip = static_cast<std::uint32_t>(
                    std::min<std::int64_t>(*parameter, std::numeric_limits<std::uint32_t>::max()));
            }
            break;
        case Action::Font:
            if (parameter) {
                const auto font = clampToInt32(*parameter);
                if (inFontTable) {
                    definedFont_ = font;
                } else {
                    group.font = font;
                }
            }
            break;
        case Action::FontCharset:
            if (inFontTable && parameter) {
                fontCodepages_[definedFont_] = codepageOfCharset(*parameter);
                codepageCache_.reset();
            }
            break;
        case Action::FontCodepage:
            if (inFontTable && parameter) {
                fontCodepages_[definedFont_] = clampToInt32(*parameter);
                codepageCache_.reset();
            }
            break;
        case Action::AnsiCodepage:
            if (parameter) {
                documentCodepage_ = clampToInt32(*parameter);
                codepageCache_.reset();
            }
            break;
        case Action::DefaultFont:
            if (parameter) {
                defaultFont_ = clampToInt32(*parameter);
                codepageCache_.reset();
            }
            break;
        case Action::Hidden:
            group.hidden = parameter.value_or(1) != 0;
            break;
        case Action::Plain:
            group.hidden = false;
            group.font = -1;
            break;
        case Action::FontTable:
            group.destination = Destination::FontTable;
            break;
        case Action::SkipDestination:
            group.destination = Destination::Skip;
            break;
        }
    }

    void unicode(std::int64_t value) {
        if (value < 0) {
            value += 65536;
        }
        if (value >= 0xD800 && value <= 0xDBFF) {
            put('?'); // a character beyond the basic plane has no Windows-1251 byte
        } else if (value < 0xDC00 || value > 0xDFFF) {
            put(value < 0 || value > 0x10FFFF ? '?'
                                              : unicodeToCp1251(static_cast<char32_t>(value)));
        }
        pendingSkip_ = state().unicodeSkip;
    }

    static std::int32_t clampToInt32(std::int64_t value) {
        return static_cast<std::int32_t>(
            std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max()));
    }

    // Code page of the current font's \'xx bytes. Remembers the last answer:
    // documents switch fonts far less often than they escape bytes.
    int codepage() {
        const std::int32_t font = state().font >= 0 ? state().font : defaultFont_;
        if (!codepageCache_ || codepageCache_->first != font) {
            const auto it = fontCodepages_.find(font);
            const int codepage =
                it != fontCodepages_.end() && it->second != 0 ? it->second : documentCodepage_;
            codepageCache_.emplace(font, codepage);
        }
        return codepageCache_->second;
    }

    ReadLines finish(bool closed) {
        if (lineHasText()) {
            lineEnds_.push_back(text_.size());
        }
        TextLines lines;
        const std::size_t size = text_.size();
        const auto text = std::make_shared<const std::string>(std::move(text_));
        lines.keep(text, size);
        lines.reserve(lineEnds_.size());
        std::size_t start = 0;
        for (const std::size_t end : lineEnds_) {
            lines.addView(std::string_view(*text).substr(start, end - start));
            start = end;
        }
        return {std::move(lines), std::move(strayBraces_), closed};
    }

    std::string_view bytes_;
    std::size_t pos_ = 0;
    std::vector<GroupState> stack_;
    std::size_t unstoredDepth_ = 0;
    std::uint32_t pendingSkip_ = 0;
    std::string text_;                  // the text of every line, one after another
    std::vector<std::size_t> lineEnds_; // where each line ends in text_
    std::vector<std::size_t> strayBraces_;
    std::unordered_map<std::int32_t, int> fontCodepages_;
    std::int32_t definedFont_ = 0;
    std::int32_t defaultFont_ = 0;
    int documentCodepage_ = 1251;
    std::optional<std::pair<std::int32_t, int>> codepageCache_;
};

// Skips a UTF-8 byte order mark and white space before the document.
std::string_view withoutLeadingSpace(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        bytes.remove_prefix(3);
    }
    const std::size_t start = bytes.find_first_not_of(" \t\r\n");
    return start == std::string_view::npos ? std::string_view() : bytes.substr(start);
}

std::optional<ReadLines> readDocument(std::string_view bytes) {
    bytes = withoutLeadingSpace(bytes);
    if (!bytes.starts_with("{\\rtf")) {
        return std::nullopt;
    }
    return RtfReader(bytes).read();
}

} // namespace

std::optional<TextLines> readRtfLines(std::string_view bytes) {
    auto read = readDocument(bytes);
    if (!read) {
        return std::nullopt;
    }
    return std::move(read->lines);
}

std::optional<RtfText> readRtfText(std::string_view bytes) {
    auto read = readDocument(bytes);
    if (!read) {
        return std::nullopt;
    }
    return RtfText{read->lines.toStrings(), std::move(read->strayBraces), read->closed};
}

std::optional<std::vector<std::string>> readRtf(std::string_view bytes) {
    auto lines = readRtfLines(bytes);
    if (!lines) {
        return std::nullopt;
    }
    return lines->toStrings();
}

} // namespace besedka

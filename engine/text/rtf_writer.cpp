#include "text/rtf.h"

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

bool needsEscape(char c) {
    return kEscapes[static_cast<unsigned char>(c)].size != 1;
}

// Position of the first byte from `pos` on that needs an escape, or the size
// of `line`. Looks at 16 bytes at a time: control bytes, DEL, "\", "{", "}".
#if defined(__SSE2__)
// One bit for each of the 16 bytes at `at` that needs an escape.
unsigned escapesAt(const char* at) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(chunk, _mm_set1_epi8(0x1F)), chunk);
    const __m128i found =
        _mm_or_si128(_mm_or_si128(control, _mm_cmpeq_epi8(chunk, _mm_set1_epi8(0x7F))),
                     _mm_or_si128(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('\\')),
                                  _mm_or_si128(_mm_cmpeq_epi8(chunk, _mm_set1_epi8('{')),
                                               _mm_cmpeq_epi8(chunk, _mm_set1_epi8('}')))));
    return static_cast<unsigned>(_mm_movemask_epi8(found));
}
#endif

std::size_t findEscape(std::string_view line, std::size_t pos) {
#if defined(__SSE2__)
    while (line.size() - pos >= 16) {
        if (const unsigned mask = escapesAt(line.data() + pos); mask != 0) {
            return pos + static_cast<std::size_t>(__builtin_ctz(mask));
        }
        pos += 16;
    }
    if (pos < line.size() && line.size() >= 16) {
        // The last 16 bytes, of which those before `pos` are already known.
        const std::size_t last = line.size() - 16;
        const unsigned mask = escapesAt(line.data() + last) >> (pos - last);
        return mask != 0 ? pos + static_cast<std::size_t>(__builtin_ctz(mask)) : line.size();
    }
#endif
    while (pos < line.size() && !needsEscape(line[pos])) {
        ++pos;
    }
    return pos;
}

// Copies runs of bytes that need no escape in one piece.
void appendEscaped(std::string& out, std::string_view line) {
    std::size_t runStart = 0;
    for (std::size_t i = findEscape(line, 0); i < line.size(); i = findEscape(line, i + 1)) {
        const Escape& escape = kEscapes[static_cast<unsigned char>(line[i])];
        out.append(line.data() + runStart, i - runStart);
        out.append(escape.text.data(), escape.size);
        runStart = i + 1;
    }
    out.append(line.data() + runStart, line.size() - runStart);
}

std::size_t documentSize(const auto& lines) {
    std::size_t size = kHeader.size() + kTrailer.size();
    for (const std::string_view line : lines) {
        size += line.size() + kLineEnd.size();
    }
    return size + size / 16; // room for a few escapes
}

void appendParagraph(std::string& out, std::string_view line) {
    appendEscaped(out, line);
    out += kLineEnd;
}

template <typename Lines> std::string writeLines(const Lines& lines) {
    std::string out;
    out.reserve(documentSize(lines));
    out += kHeader;
    for (const std::string_view line : lines) {
        appendParagraph(out, line);
    }
    out += kTrailer;
    return out;
}

// The same bytes of the same buffer: lists keep the bytes under their views
// alive and unchanged, so such lines are equal without a look at the bytes.
bool sameView(std::string_view a, std::string_view b) {
    return a.data() == b.data() && a.size() == b.size();
}

} // namespace

std::string writeRtf(const TextLines& lines) {
    return writeLines(lines);
}

std::string writeRtf(const std::vector<std::string>& lines) {
    return writeLines(lines);
}

RtfDocument writeRtfDocument(const TextLines& lines) {
    RtfDocument out;
    out.bytes.reserve(documentSize(lines));
    out.paragraphStarts.reserve(lines.size() + 1);
    out.bytes += kHeader;
    for (const std::string_view line : lines) {
        out.paragraphStarts.push_back(out.bytes.size());
        appendParagraph(out.bytes, line);
    }
    out.paragraphStarts.push_back(out.bytes.size());
    out.bytes += kTrailer;
    return out;
}

// Takes the written lines in order: each that is the next of `lines` keeps
// its paragraph, moved forward over those of the lines left out; the lines
// that remain are written anew at the end. Any change gives the right
// document; the program's changes (lines added, removed or moved to the end)
// move only the paragraphs after the first line removed.
void rewriteRtfDocument(RtfDocument& document, const TextLines& written, const TextLines& lines) {
    std::string& bytes = document.bytes;
    std::vector<std::size_t>& starts = document.paragraphStarts;
    if (starts.size() != written.size() + 1 || starts.back() > bytes.size()) {
        document = writeRtfDocument(lines);
        return;
    }
    std::size_t out = starts.front();
    std::size_t i = 0;
    for (std::size_t j = 0; j < written.size() && i < lines.size(); ++j) {
        if (!sameView(lines[i], written[j])) {
            continue;
        }
        std::size_t run = 1;
        while (i + run < lines.size() && j + run < written.size() &&
               sameView(lines[i + run], written[j + run])) {
            ++run;
        }
        // Kept paragraphs only move towards the front, so each is read
        // before anything is written over it.
        const std::size_t from = starts[j];
        const std::size_t size = starts[j + run] - from;
        for (std::size_t k = 0; k < run; ++k) {
            starts[i + k] = starts[j + k] - from + out;
        }
        if (out != from) {
            std::memmove(bytes.data() + out, bytes.data() + from, size);
        }
        out += size;
        i += run;
        j += run - 1;
    }
    bytes.resize(out);
    starts.resize(i);
    for (; i < lines.size(); ++i) {
        starts.push_back(bytes.size());
        appendParagraph(bytes, lines[i]);
    }
    starts.push_back(bytes.size());
    bytes += kTrailer;
}

} // namespace besedka

#include "text/cp1251.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

namespace besedka {
namespace {

// Code points of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

constexpr char32_t codePointOf(unsigned char byte) {
    if (byte < 0x80) {
        return byte;
    }
    if (byte >= 0xC0) {
        return static_cast<char32_t>(0x0410 + (byte - 0xC0));
    }
    return kHigh[byte - 0x80];
}

// The UTF-8 form of every byte: up to three bytes, then its length in the
// fourth, so that one four-byte copy writes any of them.
constexpr std::array<std::array<char, 4>, 256> kUtf8Forms = [] {
    std::array<std::array<char, 4>, 256> table{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        const char32_t cp = codePointOf(static_cast<unsigned char>(byte));
        auto& form = table[byte];
        if (cp < 0x80) {
            form = {static_cast<char>(cp), 0, 0, 1};
        } else if (cp < 0x800) {
            form = {static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0,
                    2};
        } else {
            form = {static_cast<char>(0xE0 | (cp >> 12)),
                    static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (cp & 0x3F)), 3};
        }
    }
    return table;
}();

// The range the second byte of a sequence must lie in, by its lead byte: the
// narrower ranges after E0, ED, F0 and F4 shut out overlong forms, surrogates
// and code points beyond U+10FFFF. The third and fourth bytes are 80..BF.
struct LeadByte {
    int length = 0; // 0: not a lead byte
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
};

constexpr LeadByte leadByte(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return {2};
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return {3, lead == 0xE0 ? std::uint8_t{0xA0} : std::uint8_t{0x80},
                lead == 0xED ? std::uint8_t{0x9F} : std::uint8_t{0xBF}};
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return {4, lead == 0xF0 ? std::uint8_t{0x90} : std::uint8_t{0x80},
                lead == 0xF4 ? std::uint8_t{0x8F} : std::uint8_t{0xBF}};
    }
    return {};
}

// Decodes one UTF-8 sequence at text[i] and advances i past it. An invalid,
// overlong, surrogate or truncated sequence gives nothing, and i then moves
// past its longest valid beginning (at least one byte), so that each broken
// sequence counts once.
std::optional<char32_t> decodeUtf8(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) {
        return lead;
    }
    const LeadByte form = leadByte(lead);
    if (form.length == 0) {
        return std::nullopt;
    }
    char32_t cp = lead & (0xFFu >> (form.length + 1));
    for (int k = 1; k < form.length; ++k) {
        if (i >= text.size()) {
            return std::nullopt;
        }
        const auto next = static_cast<unsigned char>(text[i]);
        const unsigned char low = k == 1 ? form.low : 0x80;
        const unsigned char high = k == 1 ? form.high : 0xBF;
        if (next < low || next > high) {
            return std::nullopt;
        }
        cp = (cp << 6) | (next & 0x3Fu);
        ++i;
    }
    return cp;
}

} // namespace

char32_t cp1251ToUnicode(unsigned char byte) {
    return codePointOf(byte);
}

char unicodeToCp1251(char32_t cp) {
    if (cp < 0x80) {
        return static_cast<char>(cp);
    }
    if (cp >= 0x0410 && cp <= 0x044F) {
        return static_cast<char>(0xC0 + (cp - 0x0410));
    }
    for (std::size_t k = 0; k < kHigh.size(); ++k) {
        if (kHigh[k] == cp) {
            return static_cast<char>(0x80 + k);
        }
    }
    return '?';
}

char* cp1251ToUtf8(std::string_view text, char* out) {
    for (const char c : text) {
        const auto& form = kUtf8Forms[static_cast<unsigned char>(c)];
        std::memcpy(out, form.data(), 4);
        out += form[3];
    }
    return out;
}

std::string cp1251ToUtf8(std::string_view text) {
    std::string out(text.size() * 3 + 1, '\0');
    out.resize(static_cast<std::size_t>(cp1251ToUtf8(text, out.data()) - out.data()));
    return out;
}

std::string utf8ToCp1251(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::optional<char32_t> cp = decodeUtf8(text, i);
        out += cp ? unicodeToCp1251(*cp) : '?';
    }
    return out;
}

std::string utf8ToCp1251Dropping(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::optional<char32_t> cp = decodeUtf8(text, i);
        if (cp && (*cp == U'?' || unicodeToCp1251(*cp) != '?')) {
            out += unicodeToCp1251(*cp);
        }
    }
    return out;
}

std::optional<std::size_t> firstInvalidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t start = i;
        if (!decodeUtf8(text, i)) {
            return start;
        }
    }
    return std::nullopt;
}

bool mostlyUtf8(std::string_view text) {
    constexpr std::size_t kMultiBytePerBroken = 20;
    constexpr std::size_t kMostBrokenSeen = 8;
    std::size_t multiByte = 0;
    std::size_t broken = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t start = i;
        if (!decodeUtf8(text, i)) {
            ++broken;
            // Windows-1251 text breaks at almost every letter: no need to read on.
            if (broken >= kMostBrokenSeen && broken * kMultiBytePerBroken > multiByte) {
                return false;
            }
        } else if (i - start > 1) {
            ++multiByte;
        }
    }
    return multiByte > 0 && broken * kMultiBytePerBroken <= multiByte;
}

bool readsAsUtf8(std::string_view line) {
    std::size_t multiByte = 0;
    std::size_t broken = 0;
    std::size_t i = 0;
    while (i < line.size()) {
        // Each sequence still to come is two bytes at least.
        if (broken >= multiByte + (line.size() - i) / 2) {
            return false;
        }
        if (static_cast<unsigned char>(line[i]) < 0x80) {
            ++i;
        } else if (decodeUtf8(line, i)) {
            ++multiByte;
        } else {
            ++broken;
        }
    }
    return multiByte > broken;
}

} // namespace besedka

#include "text/koi8r.h"

#include <array>

namespace besedka {
namespace {

// KOI8-R orders its letters after the Latin ones they sound like, lower case
// at 0xC0..0xDF and upper case at 0xE0..0xFF.
constexpr std::string_view kLetterOrder = "ю"
                                          "а"
                                          "б"
                                          "ц"
                                          "д"
                                          "е"
                                          "ф"
                                          "г"
                                          "х"
                                          "и"
                                          "й"
                                          "к"
                                          "л"
                                          "м"
                                          "н"
                                          "о"
                                          "п"
                                          "я"
                                          "р"
                                          "с"
                                          "т"
                                          "у"
                                          "ж"
                                          "в"
                                          "ь"
                                          "ы"
                                          "з"
                                          "ш"
                                          "э"
                                          "щ"
                                          "ч"
                                          "ъ";

constexpr std::array<char, 256> kToCp1251 = [] {
    std::array<char, 256> table{};
    for (unsigned byte = 0; byte < 0x80; ++byte) {
        table[byte] = static_cast<char>(byte);
    }
    for (unsigned byte = 0x80; byte < 0xC0; ++byte) {
        table[byte] = '?';
    }
    table[0x9A] = '\xA0'; // no-break space
    table[0x9C] = '\xB0'; // °
    table[0x9E] = '\xB7'; // ·
    table[0xA3] = '\xB8'; // ё
    table[0xB3] = '\xA8'; // Ё
    table[0xBF] = '\xA9'; // ©
    // Each letter of the order is two UTF-8 bytes, D0 B0..D0 BF for а..п and
    // D1 80..D1 8F for р..я; in Windows-1251 а..я are 0xE0..0xFF.
    for (unsigned i = 0; i < 32; ++i) {
        const auto lead = static_cast<unsigned char>(kLetterOrder[2 * i]);
        const auto trail = static_cast<unsigned char>(kLetterOrder[2 * i + 1]);
        const unsigned offset = lead == 0xD0 ? trail - 0xB0 : trail - 0x80 + 16;
        table[0xC0 + i] = static_cast<char>(0xE0 + offset);
        table[0xE0 + i] = static_cast<char>(0xC0 + offset);
    }
    return table;
}();

} // namespace

char koi8rToCp1251(unsigned char byte) {
    return kToCp1251[byte];
}

std::string koi8rToCp1251(std::string_view text) {
    std::string out(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        out[i] = kToCp1251[static_cast<unsigned char>(text[i])];
    }
    return out;
}

} // namespace besedka

#include "text/cyrillic_code_page.h"

#include "text/cp1251.h"
#include "text/koi8r.h"

#include <array>
#include <string>

namespace besedka {
namespace {

// 4 log2(1 + how many in a thousand Russian letters), а..я; "ё" counts as "е".
constexpr std::array<long, 32> kLetterPoints = {25, 16, 22, 17, 20, 26, 13, 16, 25, 15, 21,
                                                22, 20, 24, 27, 19, 22, 23, 24, 19, 8,  14,
                                                10, 16, 12, 9,  4,  17, 17, 8,  11, 18};
constexpr long kCommonPairPoints = 20;
constexpr long kSmallLetterPoints = 8;
constexpr long kMidWordCapitalPoints = 40;
constexpr long kWindows1251Lead = 20;

// The most common letter pairs of Russian.
constexpr std::string_view kCommonPairs =
    "ст но то на ен ов ни ра во ко ал по ре пр ро ла ер го ет ли ес ел ор ос ан ол ит ва ле ат ка "
    "ие ой ак ом ри не ск де ин ве ть ем от ам ви та мо од ым ед ых ая ся ий ия ки ар ма че за ме "
    "до те ас им ны он ло ее ей ах ту ру ду бы вы мы ты ил ти си нн ог ег ча чт ши уж ую";

// Letter а..я as 0..31 ("ё" as "е") with its case, in Windows-1251.
struct Letter {
    int index = -1;
    bool small = false;
};

Letter letterOf(unsigned char byte) {
    if (byte >= 0xC0) {
        return {byte & 0x1F, byte >= 0xE0};
    }
    if (byte == 0xB8 || byte == 0xA8) {
        return {5, byte == 0xB8};
    }
    return {};
}

// The place of the pair of two letters in a 32 by 32 table.
std::size_t pairIndex(Letter first, Letter second) {
    return static_cast<std::size_t>(first.index) * 32 + static_cast<std::size_t>(second.index);
}

const std::array<bool, 32 * 32>& commonPairs() {
    static const std::array<bool, 32 * 32> pairs = [] {
        std::array<bool, 32 * 32> table{};
        const std::string letters = utf8ToCp1251(kCommonPairs);
        for (std::size_t i = 0; i + 1 < letters.size(); i += 3) {
            const Letter first = letterOf(static_cast<unsigned char>(letters[i]));
            const Letter second = letterOf(static_cast<unsigned char>(letters[i + 1]));
            table[pairIndex(first, second)] = true;
        }
        return table;
    }();
    return pairs;
}

} // namespace

void CodePageEvidence::Reading::read(std::string_view line, CyrillicCodePage page) {
    const auto& pairs = commonPairs();
    Letter previous;
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        const Letter letter = letterOf(page == CyrillicCodePage::Koi8r
                                           ? static_cast<unsigned char>(koi8rToCp1251(byte))
                                           : byte);
        if (letter.index < 0) {
            previous = {};
            continue;
        }
        points += kLetterPoints[static_cast<std::size_t>(letter.index)];
        if (previous.index >= 0) {
            points += pairs[pairIndex(previous, letter)] ? kCommonPairPoints : 0;
            midWordCapitals += previous.small && !letter.small ? 1U : 0U;
        }
        ++(letter.small ? lower : upper);
        previous = letter;
    }
}

long CodePageEvidence::Reading::score(bool caseTells) const {
    if (!caseTells) {
        return points;
    }
    return points + kSmallLetterPoints * static_cast<long>(lower) -
           kMidWordCapitalPoints * static_cast<long>(midWordCapitals);
}

void CodePageEvidence::add(std::string_view line) {
    windows1251_.read(line, CyrillicCodePage::Windows1251);
    koi8r_.read(line, CyrillicCodePage::Koi8r);
}

CyrillicCodePage CodePageEvidence::likelier() const {
    return koi8r_.score(caseTells()) > windows1251_.score(caseTells()) + kWindows1251Lead
               ? CyrillicCodePage::Koi8r
               : CyrillicCodePage::Windows1251;
}

} // namespace besedka

#pragma once

#include <cstddef>
#include <string_view>

namespace besedka {

// The two 8-bit code pages that Russian plain texts come in.
enum class CyrillicCodePage { Windows1251, Koi8r };

// How Russian a text reads in either code page, gathered line by line: the
// frequency of its letters and of common letter pairs, and, when the text
// has both cases, its case pattern (in the wrong code page lower case turns
// upper and a capital ends up inside a word). KOI8-R only when it reads
// better: Windows-1251 is the program's own.
class CodePageEvidence {
  public:
    void add(std::string_view line);
    CyrillicCodePage likelier() const;
    // The Cyrillic letters read so far.
    std::size_t letters() const { return windows1251_.lower + windows1251_.upper; }

  private:
    struct Reading {
        long points = 0; // letters and letter pairs by how common they are
        std::size_t lower = 0;
        std::size_t upper = 0;
        std::size_t midWordCapitals = 0; // a capital right after a small letter
        void read(std::string_view line, CyrillicCodePage page);
        long score(bool caseTells) const;
    };
    bool caseTells() const { return windows1251_.lower > 0 && windows1251_.upper > 0; }

    Reading windows1251_;
    Reading koi8r_;
};

} // namespace besedka

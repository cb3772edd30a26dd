#pragma once

#include <cstdint>
#include <string>

namespace besedka {

// A colour in the 0x00BBGGRR form (0xC0C0C0 is silver, 0 is black).
using Colour = std::uint32_t;

inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kSilver = 0xC0C0C0;
inline constexpr Colour kTeal = 0x808000;

struct FontSpec {
    std::string face = "MS Sans Serif";
    int size = 8;
    bool bold = false;
    bool italic = false;

    bool operator==(const FontSpec&) const = default;
};

// The attributes that text added to the dialogue pane takes.
struct TextFormat {
    Colour colour = kBlack;
    FontSpec font;

    bool operator==(const TextFormat&) const = default;
};

} // namespace besedka

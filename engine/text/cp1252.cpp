#include "text/cp1252.h"

#include "text/cp1251.h"

#include <array>

namespace besedka {
namespace {

// Code points of the Windows-1252 bytes 0x80..0x9F; 0xA0..0xFF are Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
};

} // namespace

char cp1252ToCp1251(unsigned char byte) {
    if (byte < 0x80) {
        return static_cast<char>(byte);
    }
    const char32_t cp = byte < 0xA0 ? kCp1252High[byte - 0x80] : char32_t{byte};
    return unicodeToCp1251(cp);
}

} // namespace besedka

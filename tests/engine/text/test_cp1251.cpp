#include "text/cp1251.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <string>
#include <utility>
#include <vector>

namespace besedka {
namespace {

// glibc's converter as an independent reference for one byte.
std::string iconvToUtf8(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1, outLeft = sizeof out;
    const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1)) {
        return {};
    }
    return std::string(out, outPtr);
}

TEST(Cp1251, AgreesWithIconvOnEveryDefinedByte) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::string reference = iconvToUtf8(static_cast<unsigned char>(byte));
        if (reference.empty() && byte != 0) {
            EXPECT_EQ(byte, 0x98) << "only 0x98 is undefined";
            continue;
        }
        const std::string ours = cp1251ToUtf8(std::string(1, static_cast<char>(byte)));
        EXPECT_EQ(ours, byte == 0 ? std::string(1, '\0') : reference) << "byte " << byte;
    }
}

TEST(Cp1251, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(all)), all);
}

TEST(Cp1251, RussianTextConvertsBothWays) {
    EXPECT_EQ(utf8ToCp1251("Привет, ёжик! «Да» — №1"),
              "\xCF\xF0\xE8\xE2\xE5\xF2, \xB8\xE6\xE8\xEA! \xAB\xC4\xE0\xBB \x97 \xB9"
              "1");
    EXPECT_EQ(cp1251ToUtf8("\xC0\xFF\xA8\xB8"), "АяЁё");
}

TEST(Cp1251, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
    EXPECT_EQ(utf8ToCp1251("日本"), "??");
    EXPECT_EQ(utf8ToCp1251("café"), "caf?");
    EXPECT_EQ(utf8ToCp1251("😀x"), "?x"); // four-byte sequence is one character
}

TEST(Cp1251, MalformedUtf8NeverReadsPastTheEnd) {
    EXPECT_EQ(utf8ToCp1251("\xD0"), "?");
    EXPECT_EQ(utf8ToCp1251("a\xE2\x82"), "a?");
    EXPECT_EQ(utf8ToCp1251("\xFF\xFE"), "??");
}

TEST(Cp1251, OverlongSurrogateAndOutOfRangeFormsAreInvalid) {
    // Each invalid sequence, with where it starts: an overlong "/", overlong
    // NUL and "Я", a surrogate, a code point above U+10FFFF, a lone
    // continuation byte, a sequence cut short by another character.
    const std::vector<std::pair<std::string, std::size_t>> invalid = {
        {"a\xC0\xAF", 1},        {"\xC1\x80", 0},     {"\xE0\x80\x80", 0},
        {"ab\xE0\x90\xAF", 2},   {"\xED\xA0\x80", 0}, {"\xF4\x90\x80\x80", 0},
        {"\xF0\x8F\xBF\xBF", 0}, {"\xD0\x9F\x9F", 2}, {"\xE2\x82x", 0},
    };
    for (const auto& [text, where] : invalid) {
        EXPECT_EQ(firstInvalidUtf8(text), where) << ::testing::PrintToString(text);
        EXPECT_EQ(utf8ToCp1251(text).find('/'), std::string::npos);
    }
    EXPECT_EQ(utf8ToCp1251("\xC0\xAF"), "??");
    // The edges of what is valid.
    for (const std::string text : {"", "\x7F", "\xC2\x80", "\xED\x9F\xBF", "\xEE\x80\x80",
                                   "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF", "Привет"}) {
        EXPECT_FALSE(firstInvalidUtf8(text).has_value()) << ::testing::PrintToString(text);
    }
}

} // namespace
} // namespace besedka

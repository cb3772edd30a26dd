#include "talk/layout_conversion.h"
#include "text/cp1251.h"

#include <gtest/gtest.h>

namespace besedka {
namespace {

std::string convert(const char* utf8) {
    return cp1251ToUtf8(convertLatinLayout(utf8ToCp1251(utf8)));
}

TEST(LayoutConversion, ReadsLatinTextAsRussian) {
    EXPECT_EQ(convert("ghbdtn"), "привет");
    EXPECT_EQ(convert("Ghbdtn"), "Привет");
    EXPECT_EQ(convert("vjq lheu"), "мой друг");
    EXPECT_EQ(convert("k.,k."), "л.,л.");
    EXPECT_EQ(convert("<>"), "бю");
    EXPECT_EQ(convert("`~[]{}\"/"), "ёЁхъХЪЭ.");
}

TEST(LayoutConversion, OnePassIsNotIdempotentForFourSigns) {
    EXPECT_EQ(convert("@$^|"), "\";:/");
    EXPECT_EQ(convert(convert("@$^|").c_str()), "ЭжЖ.");
}

TEST(LayoutConversion, LeavesEverythingElseAlone) {
    EXPECT_EQ(convert("уже по-русски 1234567890 !%*()-_=+'?,.\\"),
              "уже по-русски 1234567890 !%*()-_=+'?,.\\");
    EXPECT_EQ(convert(""), "");
    EXPECT_EQ(layoutTableSize(), 70u);
    int changed = 0;
    for (int c = 0; c < 256; ++c) {
        const std::string one(1, static_cast<char>(c));
        changed += convertLatinLayout(one) != one;
    }
    EXPECT_EQ(changed, 70);
}

} // namespace
} // namespace besedka

#include "irc/encoding.h"
#include "irc/message.h"
#include "irc/reply_split.h"
#include "text/cp1251.h"

#include <gtest/gtest.h>

#include <string>

namespace besedka::irc {
namespace {

std::string repeated(std::string_view word, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += (i == 0 ? "" : " ");
        text += word;
    }
    return text;
}

std::string joinedWithSpaces(const std::vector<std::string>& pieces) {
    std::string text;
    for (const std::string& piece : pieces) {
        text += (text.empty() ? "" : " ") + piece;
    }
    return text;
}

// Every piece fits, is whole UTF-8, and the pieces put back give the text.
void expectFaithfulSplit(const std::string& text, std::size_t budget, Encoding encoding) {
    const std::vector<std::string> pieces = splitText(text, budget, encoding);
    ASSERT_GT(pieces.size(), 1U);
    for (const std::string& piece : pieces) {
        EXPECT_LE(encodedSize(piece, encoding), budget) << piece;
        EXPECT_FALSE(firstInvalidUtf8(piece)) << piece;
        EXPECT_FALSE(piece.empty());
    }
    EXPECT_EQ(joinedWithSpaces(pieces), text);
}

TEST(ReplySplit, CutsCyrillicOnCharacterBoundariesInBothEncodings) {
    const std::string text = repeated("Съешь же ещё этих мягких французских булок", 30);
    expectFaithfulSplit(text, 400, Encoding::Utf8);
    expectFaithfulSplit(text, 400, Encoding::Cp1251);
    // Windows-1251 holds a letter in one byte, UTF-8 in two.
    EXPECT_EQ(splitText(text, 400, Encoding::Cp1251).size(), 4U);
    EXPECT_EQ(splitText(text, 400, Encoding::Utf8).size(), 6U);
}

TEST(ReplySplit, CutsAWordLongerThanALineInsideItNeverInsideALetter) {
    const std::string word = repeated("ж", 300);
    std::string unspaced;
    for (int i = 0; i < 300; ++i) {
        unspaced += "ж";
    }
    const std::vector<std::string> pieces = splitText(unspaced, 101, Encoding::Utf8);
    ASSERT_EQ(pieces.size(), 6U); // 50 letters (100 bytes) a piece
    std::string back;
    for (const std::string& piece : pieces) {
        EXPECT_LE(piece.size(), 101U);
        EXPECT_FALSE(firstInvalidUtf8(piece));
        back += piece;
    }
    EXPECT_EQ(back, unspaced);
    expectFaithfulSplit(word, 7, Encoding::Utf8);
    const auto emoji = splitText("😀😀😀", 5, Encoding::Utf8);
    EXPECT_EQ(emoji, (std::vector<std::string>{"😀", "😀", "😀"}));
}

TEST(ReplySplit, LineBreaksPartPiecesAndShortTextsStayWhole) {
    EXPECT_EQ(splitText("привет", 400, Encoding::Utf8), std::vector<std::string>{"привет"});
    EXPECT_EQ(splitText("один\r\nдва\n\n три ", 400, Encoding::Utf8),
              (std::vector<std::string>{"один", "два", "три"}));
    EXPECT_TRUE(splitText("  \n ", 400, Encoding::Utf8).empty());
}

TEST(ReplySplit, TheBudgetLeavesRoomForTheRelayedPrefix) {
    const std::string prefix = "besedka!~besedka@127.0.0.1";
    const std::string target = "#комната";
    const std::string lead = "алиса: ";
    for (const Encoding encoding : {Encoding::Utf8, Encoding::Cp1251}) {
        const std::size_t budget = textBudget(prefix, "PRIVMSG", target, lead, encoding);
        const std::string text = repeated("длинный ответ", 200);
        for (const std::string& piece : splitText(text, budget, encoding)) {
            const auto line = buildLine("PRIVMSG", {target, lead + piece});
            ASSERT_TRUE(line);
            const std::string relayed = ":" + prefix + " " + *line + "\r\n";
            EXPECT_LE(encodeForSending(relayed, encoding).size(), kMaxLineBytes);
        }
    }
    EXPECT_EQ(textBudget(std::string(600, 'x'), "PRIVMSG", "#a", "", Encoding::Utf8), 0U);
    EXPECT_GT(longestPrefixFor("bot").size(), 70U);
}

TEST(Encoding, ReadsUtf8AsItIsAndAnythingElseAsWindows1251) {
    EXPECT_EQ(decodeReceived("привет"), "привет");
    EXPECT_EQ(decodeReceived(utf8ToCp1251("привет, Ёж")), "привет, Ёж");
    EXPECT_EQ(decodeReceived("plain ascii"), "plain ascii");
    EXPECT_EQ(encodeForSending("привет", Encoding::Cp1251), utf8ToCp1251("привет"));
    EXPECT_EQ(encodeForSending("日本", Encoding::Cp1251), "??");
    EXPECT_EQ(encodeForSending("日本", Encoding::Utf8), "日本");
    EXPECT_EQ(encodedSize("ёж", Encoding::Cp1251), 2U);
    EXPECT_EQ(encodedSize("ёж", Encoding::Utf8), 4U);
    EXPECT_EQ(encodingNamed("cp1251"), Encoding::Cp1251);
    EXPECT_EQ(encodingNamed("utf-8"), Encoding::Utf8);
    EXPECT_FALSE(encodingNamed("koi8-r"));
}

} // namespace
} // namespace besedka::irc

#include "text/cp1251.h"
#include "text/rtf.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace besedka {
namespace {

using Lines = std::vector<std::string>;

Lines cp1251Lines(const std::vector<std::string>& utf8Lines) {
    Lines lines;
    for (const auto& line : utf8Lines) {
        lines.push_back(utf8ToCp1251(line));
    }
    return lines;
}

std::string readFixture(const std::string& name) {
    std::ifstream file(std::string(BESEDKA_FIXTURES) + "/rtf/" + name, std::ios::binary);
    EXPECT_TRUE(file) << name;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// Reads and fails the test when reading takes longer than any sane input
// needs, even in a sanitizer build.
std::optional<Lines> readPromptly(std::string_view bytes) {
    const auto start = std::chrono::steady_clock::now();
    auto lines = readRtf(bytes);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(10));
    return lines;
}

Lines read(std::string_view bytes) {
    auto lines = readPromptly(bytes);
    EXPECT_TRUE(lines.has_value()) << bytes.substr(0, 80);
    return lines.value_or(Lines{});
}

// What the word processors were given (tests/fixtures/rtf/source.txt).
const std::vector<std::string> kSourceText = {
    "Привет, как дела?",
    "«Хорошо» — ответил он.",
    "",
    "“Кавычки” и – короткое тире",
    "Имя\tЗначение",
    "Скобки {вот} и обратная косая \\ черта.",
    "__КАК ДЕЛА?^Хорошо.;Нормально!;",
};

TEST(RtfFixtures, LibreOfficeWriterParagraphsAreTheLines) {
    EXPECT_EQ(read(readFixture("libreoffice-writer.rtf")), cp1251Lines(kSourceText));
}

TEST(RtfFixtures, AbiWordWindows1252DocumentGivesTheSameLines) {
    EXPECT_EQ(read(readFixture("abiword.rtf")), cp1251Lines(kSourceText));
}

TEST(RtfFixtures, PandocUnicodeEscapesAndHardLineBreak) {
    EXPECT_EQ(read(readFixture("pandoc.rtf")), cp1251Lines({
                                                   "Привет, как дела?",
                                                   "«Хорошо» — ответил он.",
                                                   "“Кавычки” и – короткое тире, строка",
                                                   "после жёсткого переноса.",
                                                   "Скобки {вот} и обратная косая \\ черта.",
                                                   "__КАК ДЕЛА?^Хорошо.;Нормально!;",
                                               }));
}

TEST(RtfFixtures, RichEditFormWithLatinFontAndNoFinalParagraphMark) {
    std::vector<std::string> expected = kSourceText;
    expected.insert(expected.end() - 1, "Цена: 5€");
    EXPECT_EQ(read(readFixture("richedit-handwritten.rtf")), cp1251Lines(expected));
}

// The rich-edit fixture with a "}" typed by hand before the \par of its second
// line: the brace is noted and every line after it is still read.
TEST(RtfFixtures, HandTypedBraceBeforeTheEndHidesNothing) {
    const auto text = readRtfText(readFixture("stray-brace.rtf"));
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->lines, read(readFixture("richedit-handwritten.rtf")));
    EXPECT_EQ(text->strayBraces, std::vector<std::size_t>{1});
}

TEST(RtfRoundTrip, EmptyListsAndEmptyLines) {
    for (const Lines& lines : {Lines{}, Lines{""}, Lines{"", "", ""}, Lines{"a", "", "b", ""}}) {
        EXPECT_EQ(read(writeRtf(lines)), lines);
    }
}

TEST(RtfRoundTrip, EveryByteValueIncludingLineBreaksInsideALine) {
    std::string all;
    Lines single;
    for (int byte = 0; byte < 256; ++byte) {
        all += static_cast<char>(byte);
        single.emplace_back(1, static_cast<char>(byte));
    }
    const Lines lines = {all, "a\r\nb", "\n", "\r"};
    EXPECT_EQ(read(writeRtf(lines)), lines);
    EXPECT_EQ(read(writeRtf(single)), single);
}

TEST(RtfRoundTrip, TextThatLooksLikeRtfOrFollowsControlWords) {
    const Lines lines = {
        " leading space", "  two", "123 digits first", "\t1 after tab",           "\\par not a par",
        "{\\rtf1}",       "-5",    "trailing space ",  "\xCF\xF0\xE8\xE2\xE5\xF2"};
    EXPECT_EQ(read(writeRtf(lines)), lines);
}

TEST(RtfRoundTrip, RandomLinesOfRandomBytes) {
    std::mt19937 random(1251);
    for (int round = 0; round < 300; ++round) {
        Lines lines(random() % 8);
        for (auto& line : lines) {
            line.resize(random() % 40);
            for (char& c : line) {
                c = static_cast<char>(random() % 256);
            }
        }
        ASSERT_EQ(read(writeRtf(lines)), lines) << "round " << round;
    }
}

TEST(RtfRoundTrip, VeryLongLinesStayWhole) {
    std::string longLine;
    for (int i = 0; i < 200000; ++i) {
        longLine += "\xCA\xC0\xCA {x}\\\t;";
    }
    const Lines lines = {"first", longLine, std::string(3'000'000, 'z'), "last"};
    EXPECT_EQ(read(writeRtf(lines)), lines);
}

// A save after a save keeps the paragraphs of the lines the two share: a
// chain of appends, removals and moves to the end must give the very bytes
// and paragraph offsets of a fresh write.
TEST(RtfWriter, DocumentRewrittenWhereItStandsIsAFreshWrite) {
    std::mt19937 random(6);
    const auto randomLine = [&random] {
        std::string line(random() % 12, ' ');
        for (char& c : line) {
            c = "ab\\{}\t\r\xCF^;_"[random() % 11];
        }
        return line;
    };
    TextLines written;
    RtfDocument document = writeRtfDocument(written);
    for (int round = 0; round < 400; ++round) {
        TextLines lines = written;
        for (int edit = static_cast<int>(random() % 4); edit >= 0; --edit) {
            const std::size_t at = lines.empty() ? 0 : random() % lines.size();
            if (random() % 3 == 0 && !lines.empty()) {
                const std::string moved(lines[at]);
                lines.erase(at);
                if (random() % 2 == 0) {
                    lines.push_back(moved);
                }
            } else {
                lines.push_back(randomLine());
            }
        }
        rewriteRtfDocument(document, written, lines);
        ASSERT_EQ(document.bytes, writeRtf(lines)) << "round " << round;
        ASSERT_EQ(document.paragraphStarts, writeRtfDocument(lines).paragraphStarts);
        written = std::move(lines);
    }
}

TEST(RtfWriter, WritesWindows1251TextUnderItsCodePage) {
    const std::string rtf = writeRtf({"\xCF\xF0\xE8\xE2\xE5\xF2\t{\\}\x01\r", ""});
    EXPECT_TRUE(rtf.starts_with("{\\rtf1\\ansi\\ansicpg1251"));
    EXPECT_NE(rtf.find("\\fcharset204"), std::string::npos);
    EXPECT_NE(rtf.find("\xCF\xF0\xE8\xE2\xE5\xF2\\tab \\{\\\\\\}\\'01\\'0d\\par"),
              std::string::npos);
}

TEST(RtfReader, NamedCharactersAndControlSymbols) {
    EXPECT_EQ(read("{\\rtf1 \\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet "
                   "a\\~b\\-c\\tab d\\_e\\{\\}\\\\}"),
              Lines{"\x97\x96\x91\x92\x93\x94\x95"
                    "a\xA0"
                    "bc\td-e{}\\"});
}

TEST(RtfReader, UnicodeEscapesAndTheirFallbacks) {
    EXPECT_EQ(read("{\\rtf1 \\u1055?\\u1088\\'3f\\u171 x\\u8212-}"), Lines{"\xCF\xF0\xAB\x97"});
    // \ucN sets how many fallback characters follow, for the group only.
    EXPECT_EQ(read("{\\rtf1 {\\uc2\\u1055 xyz}\\u1056 pq}"), Lines{"\xCFz\xD0q"});
    EXPECT_EQ(read("{\\rtf1 \\uc0\\u1055 \\u1088 x}"), Lines{"\xCF\xF0x"});
    // A fallback may be an escape or a control word; a group end stops it.
    EXPECT_EQ(read("{\\rtf1 \\uc2\\u1055\\'cf\\emdash a{\\u1056}b}"), Lines{"\xCF"
                                                                            "a\xD0"
                                                                            "b"});
    // Negative values are UTF-16 units above 32767; unrepresentable gives '?'.
    EXPECT_EQ(read("{\\rtf1 \\u-3?\\u20013?\\u8470?}"), Lines{"??\xB9"});
    // A surrogate pair is one character.
    EXPECT_EQ(read("{\\rtf1 \\u-10179?\\u-8704?!}"), Lines{"?!"});
}

TEST(RtfReader, HexEscapesFollowTheFontCodePage) {
    EXPECT_EQ(read("{\\rtf1\\ansi \\'cf\\'80}"), Lines{"\xCF\x80"});
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1252 \\'80\\'ab\\'e9\\'41}"), Lines{"\x88\xAB?A"});
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1252\\deff1{\\fonttbl{\\f0\\fcharset204 A;}"
                   "{\\f1\\fcharset0 B;}}\\'c0{\\f0\\'c0}\\f0\\'c0\\plain\\'c0}"),
              Lines{"?\xC0\xC0?"});
}

TEST(RtfReader, IgnorableDestinationsAndTablesAreNotText) {
    const std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red0;}"
                            "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}"
                            "{\\*\\generator G;}{\\*\\unknown X\\par}{\\header H\\par}"
                            "{\\footer F\\par}{\\pict\\pngblip 89504e47}"
                            "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}}"
                            "{\\v hidden}{\\pntext 1.\\tab}\\par"
                            "\\trowd a\\cell b\\cell\\row c\\par}";
    EXPECT_EQ(read(rtf), (Lines{"link", "a\tb", "c"}));
}

TEST(RtfReader, BinaryDataIsSkippedByCount) {
    const std::string data("}{\\\x00\xFF", 5);
    EXPECT_EQ(read("{\\rtf1 A{\\pict\\bin5 " + data + "}B}"), Lines{"AB"});
    EXPECT_EQ(read("{\\rtf1 A\\bin99999999999999999999999 xyz}"), Lines{"A"});
    EXPECT_EQ(read("{\\rtf1 A\\bin-5 B}"), Lines{"AB"});
}

TEST(RtfReader, ParagraphBoundaries) {
    // A final \par makes no extra line; a last paragraph without one is a line.
    EXPECT_EQ(read("{\\rtf1 a\\par b\\par}"), (Lines{"a", "b"}));
    EXPECT_EQ(read("{\\rtf1 a\\par b}"), (Lines{"a", "b"}));
    EXPECT_EQ(read("{\\rtf1 a\\par\\par}"), (Lines{"a", ""}));
    EXPECT_EQ(read("{\\rtf1 \\pard\\plain}"), Lines{});
    // \line breaks the line; a backslash before a raw line break is \par.
    EXPECT_EQ(read("{\\rtf1 a\\line b\\\nc\\\r\nd}"), (Lines{"a", "b", "c", "d"}));
    // Raw CR and LF are not text.
    EXPECT_EQ(read("{\\rtf1 a\r\nb\rc\nd\\par\r\n}"), Lines{"abcd"});
    // \sect ends pending text only.
    EXPECT_EQ(read("{\\rtf1 a\\par\\sect b\\sect}"), (Lines{"a", "b"}));
}

TEST(RtfReader, OnlyRtfIsRtf) {
    for (const std::string_view notRtf :
         {"", "hello", "{\\rt", "rtf1", "{ \\rtf1 a}", "\\rtf1", "{\\RTF1 a}"}) {
        EXPECT_FALSE(readRtf(notRtf).has_value()) << notRtf;
    }
    EXPECT_EQ(read("\xEF\xBB\xBF \r\n{\\rtf1 a}"), Lines{"a"});
}

TEST(RtfReader, BrokenDocumentsKeepWhatWasRead) {
    EXPECT_EQ(read("{\\rtf1 abc"), Lines{"abc"});
    EXPECT_EQ(read("{\\rtf1 abc\\"), Lines{"abc"});
    EXPECT_EQ(read("{\\rtf1 abc\\'c"), Lines{"abc"});
    EXPECT_EQ(read("{\\rtf1 a\\'zzb}"), Lines{"azzb"});
    EXPECT_EQ(read("{\\rtf1 {{{a\\par b"), (Lines{"a", "b"}));
    // The document ends with its outermost group unless text follows it.
    EXPECT_EQ(read("{\\rtf1 a\\par} b\\par}}}"), (Lines{"a", " b"}));
    EXPECT_EQ(read(std::string("{\\rtf1 a}\r\n\0", 12)), Lines{"a"});
}

TEST(RtfHostile, DeepNestingIsIterative) {
    const std::string deep =
        "{\\rtf1 " + std::string(100000, '{') + "x" + std::string(100000, '}') + "y}";
    EXPECT_EQ(read(deep), Lines{"xy"});
    // Deeper than the reader keeps states for, and never closed.
    EXPECT_EQ(read("{\\rtf1 " + std::string(2'000'000, '{') + "z\\par"), Lines{"z"});
}

TEST(RtfHostile, TwentyMegabyteLine) {
    std::string rtf = "{\\rtf1 ";
    rtf.append(20'000'000, 'a');
    rtf += "\\par}";
    const Lines lines = read(rtf);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), 20'000'000u);
}

TEST(RtfHostile, HugeParametersAndControlWords) {
    EXPECT_EQ(read("{\\rtf1 {\\uc99999999999999999999\\u1055 abc}d}"), Lines{"\xCF"
                                                                             "d"});
    EXPECT_EQ(read("{\\rtf1 \\u99999999999999999999?a}"), Lines{"?a"});
    EXPECT_EQ(read("{\\rtf1 \\" + std::string(1'000'000, 'x') + "1 a}"), Lines{"a"});
    EXPECT_EQ(read("{\\rtf1 \\f" + std::string(1'000'000, '9') + " a}"), Lines{"a"});
}

// Every byte of a line comes from at least one byte of the document.
TEST(RtfHostile, RandomGarbageNeverGrowsOrCrashes) {
    std::mt19937 random(204);
    const std::string alphabet = "{}\\'*uc0123456789-abinparlinefxv ?\r\n\x80\xFF";
    for (int round = 0; round < 500; ++round) {
        std::string bytes = "{\\rtf1";
        const std::size_t size = random() % 4000;
        for (std::size_t i = 0; i < size; ++i) {
            bytes += round % 2 == 0 ? alphabet[random() % alphabet.size()]
                                    : static_cast<char>(random() % 256);
        }
        const Lines lines = read(bytes);
        std::size_t total = 0;
        for (const auto& line : lines) {
            total += line.size();
        }
        ASSERT_LE(total, bytes.size()) << "round " << round;
    }
}

} // namespace
} // namespace besedka

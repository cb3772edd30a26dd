// Teaching dialogues to the tree: the dialogue text, the outline it grows and
// the tree walk that follows it back.
#include "curation/teach.h"

#include "engine_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace besedka::test {
namespace {

std::string joined(const std::vector<std::string>& utf8Lines) {
    std::string text;
    for (const auto& line : utf8Lines) {
        text += line + "\n";
    }
    return text;
}

class Teach : public EngineTest {
  protected:
    Teach() { ::setenv("XDG_STATE_HOME", state_.path().c_str(), 1); }
    ~Teach() override { ::unsetenv("XDG_STATE_HOME"); }

    TeachReport teachLines(const std::vector<std::string>& utf8Lines, TeachOptions options = {},
                           const TeachProgress& progress = {}) {
        FileStore files{PathMap(dir_.path())};
        return teach(files, readDialogueText(joined(utf8Lines)), options, {}, progress);
    }

    TempDir state_;
};

TeachOptions dryRun() {
    TeachOptions options;
    options.dryRun = true;
    return options;
}

TeachOptions skipBad() {
    TeachOptions options;
    options.skipBad = true;
    return options;
}

void expectFigures(const TeachFigures& figures, std::vector<std::size_t> expected) {
    EXPECT_EQ((std::vector<std::size_t>{figures.dialogues, figures.pairs, figures.newLines,
                                        figures.newAnswers, figures.known}),
              expected);
}

TEST_F(Teach, AddsPairsAtTheirPlaceOfTheOutlineAndChangesNothingTheSecondTime) {
    writeLines("Base/Words.Dat", {"header", "ЛЕС^Там тихо.;", "_ГРИБЫ^Их много.;",
                                  "__БЕЛЫЕ^Редко.;", "МОРЕ^Там шумно.;", "_ЧАЙКИ^Кричат.;"});
    const std::vector<std::string> text{
        "— Лес", "— Там тихо.", "— Грибы?", "— Их много.", "— лисички", "— Часто!",  "а ягоды",
        "",      "Море!",       "шумит",    "новое",       "",          "звёзды...", "светят,",
        "",      "Море",        "Шумит."};
    const std::string before = readBytes("Base/Words.Dat");
    const TeachReport dry = teachLines(text, dryRun());
    expectFigures(dry.figures, {4, 6, 4, 1, 3});
    EXPECT_FALSE(dry.written);
    EXPECT_EQ(readBytes("Base/Words.Dat"), before);

    const TeachReport taught = teachLines(text);
    expectFigures(taught.figures, {4, 6, 4, 1, 3});
    EXPECT_TRUE(taught.written);
    // Depth 2 inside its parent's branch, not after the next root line; the
    // existing root line gets its new answer once; new roots go last.
    EXPECT_EQ(readLines("Base/Words.Dat"),
              (std::vector<std::string>{"header", "ЛЕС^Там тихо.;", "_ГРИБЫ^Их много.;",
                                        "__БЕЛЫЕ^Редко.;", "__ЛИСИЧКИ^Часто!;", "___А ЯГОДЫ^",
                                        "МОРЕ^Там шумно.;Шумит.;", "_ЧАЙКИ^Кричат.;", "_НОВОЕ^",
                                        "ЗВЁЗДЫ^Светят.;"}));

    const std::string after = readBytes("Base/Words.Dat");
    const TeachReport again = teachLines(text);
    expectFigures(again.figures, {4, 6, 0, 0, 8});
    EXPECT_FALSE(again.written);
    EXPECT_EQ(readBytes("Base/Words.Dat"), after);
}

TEST_F(Teach, TheWalkAnswersTheOddUtterancesWithTheEvenOnes) {
    writeLines("Base/Words.Dat", {"header", "КОФЕ^Бодрит.;", "_С МОЛОКОМ^Мягче.;"});
    teachLines({"Синий чай", "Редкость.", "с мятой", "Свежо!", "без сахара", "Горько?", "",
                "Синий чай", "Редкость.", "с лимоном", "Кислит."});
    for (const auto& [phrase, answer] : std::vector<std::pair<std::string, std::string>>{
             {"синий чай", "Редкость."}, {"с мятой", "Свежо!"}, {"без сахара", "Горько?"}}) {
        say(phrase);
        EXPECT_EQ(reply(), answer) << phrase;
    }
}

// The walk answers from the first line of a level whose key occurs in the
// phrase, so a taught line stands before the shorter keys that would take its
// phrase; a line already there that such a key shadows moves up with its
// branch. Once with a few lines a level, once with levels crowded enough to be
// found through their index.
TEST_F(Teach, PutsALongerKeyBeforeTheShorterOneThatWouldTakeItsPhrase) {
    for (const int others : {0, 40}) {
        SCOPED_TRACE(others);
        std::vector<std::string> tree{"header"};
        std::vector<std::string> expected{"header"};
        for (int i = 0; i < others; ++i) {
            tree.push_back("ФРАЗА " + std::to_string(i) + "^Ответ.;");
        }
        expected = tree;
        const std::vector<std::string> shorter{"ПОЧЕМУ^Потому.;", "_КАК^Так.;"};
        std::vector<std::string> branch;
        for (int i = 0; i < others; ++i) {
            branch.push_back("_ЕЩЁ " + std::to_string(i) + "^Да.;");
        }
        const std::vector<std::string> after{"ПОЧЕМУ ТРАВА ЗЕЛЁНАЯ^Так надо.;", "_ПРАВДА^Да.;",
                                             "КОТ^Мяу.;"};
        tree.insert(tree.end(), shorter.begin(), shorter.end());
        tree.insert(tree.end(), branch.begin(), branch.end());
        tree.insert(tree.end(), after.begin(), after.end());
        writeLines("Base/Words.Dat", tree);
        const std::vector<std::string> text{"— Почему?",   "— Потому.", "— Как так вышло?",
                                            "— Случайно.", "",          "— Почему кот спит?",
                                            "— Устал.",    "",          "Почему трава зелёная?",
                                            "Хлорофилл."};
        const TeachReport taught = teachLines(text);
        EXPECT_EQ(taught.answered, 4u);
        EXPECT_TRUE(taught.unanswered.empty());
        for (const std::string line :
             {"ПОЧЕМУ КОТ СПИТ^Устал.;", "ПОЧЕМУ ТРАВА ЗЕЛЁНАЯ^Так надо.;Хлорофилл.;",
              "_ПРАВДА^Да.;", "ПОЧЕМУ^Потому.;", "_КАК ТАК ВЫШЛО^Случайно.;", "_КАК^Так.;"}) {
            expected.push_back(line);
        }
        expected.insert(expected.end(), branch.begin(), branch.end());
        expected.push_back("КОТ^Мяу.;");
        EXPECT_EQ(readLines("Base/Words.Dat"), expected);
        const std::string bytes = readBytes("Base/Words.Dat");
        EXPECT_FALSE(teachLines(text).written);
        EXPECT_EQ(readBytes("Base/Words.Dat"), bytes);

        // Taught phrases get their answers; one that holds only the shorter
        // key gets its answer as before, at the root and in the branch.
        for (const auto& [phrase, answer] :
             std::vector<std::pair<std::string, std::string>>{{"почему кот спит?", "Устал."},
                                                              {"почему", "Потому."},
                                                              {"как так вышло?", "Случайно."},
                                                              {"почему небо синее?", "Потому."},
                                                              {"как?", "Так."}}) {
            say(phrase);
            EXPECT_EQ(reply(), answer) << phrase;
        }
    }
}

TEST_F(Teach, RefusedLinesLeaveTheTreeUnlessSkippedAndThenCutTheirDialogue) {
    writeLines("Base/Words.Dat", {"header"});
    const std::string before = readBytes("Base/Words.Dat");
    const std::vector<std::string> text{"раз",   "два; три", "четыре",        "пять", "?!",
                                        "шесть", "",         "под_чёркнутый", "семь", "восемь"};
    const TeachReport refused = teachLines(text);
    ASSERT_EQ(refused.refused.size(), 3u);
    EXPECT_EQ(refused.refused[0].line, 2u);
    EXPECT_NE(refused.refused[0].reason.find("\";\""), std::string::npos);
    EXPECT_EQ(refused.refused[0].code, Refusal::UtteranceReserved);
    EXPECT_EQ(refused.refused[0].facts.text, ";");
    EXPECT_EQ(refused.refused[1].line, 5u); // "?!" is a key here, with nothing left
    EXPECT_EQ(refused.refused[1].code, Refusal::UtteranceWithoutKey);
    EXPECT_EQ(refused.refused[2].line, 8u);
    EXPECT_FALSE(refused.written);
    EXPECT_EQ(readBytes("Base/Words.Dat"), before);

    const TeachReport skipped = teachLines(text, skipBad());
    EXPECT_EQ(skipped.refused.size(), 3u);
    EXPECT_EQ(
        readLines("Base/Words.Dat"),
        (std::vector<std::string>{"header", "РАЗ^", "ЧЕТЫРЕ^Пять.;", "ШЕСТЬ^", "СЕМЬ^Восемь.;"}));

    // A text without blank lines would make ever deeper lines: the key after
    // 2000 utterances of one dialogue is refused.
    std::vector<std::string> endless;
    for (int i = 1; i <= 2003; ++i) {
        endless.push_back("реплика " + std::to_string(i));
    }
    const TeachReport deep = teachLines(endless);
    ASSERT_EQ(deep.refused.size(), 1u);
    EXPECT_EQ(deep.refused[0].line, 2001u);
    EXPECT_NE(deep.refused[0].reason.find("blank lines"), std::string::npos);
    EXPECT_EQ(deep.refused[0].code, Refusal::UtteranceTooDeep);
    EXPECT_EQ(deep.refused[0].facts.number, 2000u);
}

TEST_F(Teach, AStopFromTheProgressWritesNothingAndAnEmptyTreeGetsAHeader) {
    writeLines("Base/Words.Dat", {});
    const TeachReport stopped =
        teachLines({"раз", "два"}, {}, [](std::size_t done, std::size_t total) {
            EXPECT_LE(done, total);
            return done < total;
        });
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_EQ(readBytes("Base/Words.Dat"), "");
    teachLines({"раз", "два"});
    EXPECT_EQ(readLines("Base/Words.Dat"), (std::vector<std::string>{"", "РАЗ^Два.;"}));
}

struct Said {
    std::string text;
    std::uint32_t line;
    bool opens;
};

std::vector<Said> said(const std::string& bytes) {
    std::vector<Said> out;
    for (const Utterance& u : readDialogueText(bytes).utterances) {
        out.push_back({cp1251ToUtf8(u.text), u.line, u.opensDialogue});
    }
    return out;
}

bool operator==(const Said& a, const Said& b) {
    return a.text == b.text && a.line == b.line && a.opens == b.opens;
}

TEST(DialogueText, ReadsDashesLogBlocksAndEveryEncoding) {
    const std::string dashes = "  — Привет!  \n– Здравствуй.\r\n- Как дела?\n\t\n  \nНовый\n";
    EXPECT_EQ(said(dashes), (std::vector<Said>{{"Привет!", 1, true},
                                               {"Здравствуй.", 2, false},
                                               {"Как дела?", 3, false},
                                               {"Новый", 6, true}}));
    EXPECT_EQ(said(utf8ToCp1251(dashes)), said(dashes));
    EXPECT_EQ(said("\xEF\xBB\xBF" + dashes), said(dashes));

    // Two log blocks: the header lines are skipped; a line without a prefix
    // continues the phrase before it; an empty reply breaks the dialogue.
    const std::string rule(80, '-');
    const std::string log =
        joined({"", rule, std::string(22, ' ') + std::string(30, '_'),
                std::string(22, ' ') + "Дата - 01.01.2024", "//Загружено: 3", "USER:     Привет.",
                "CPU:     Здравствуй!", "USER:     как дела", ".", "CPU:     ", "USER:     Ну?",
                std::string(53, '='), "", rule, "//Загружено: 4", "USER:     Снова я.",
                std::string(53, '=')});
    EXPECT_EQ(said(log), (std::vector<Said>{{"Привет.", 6, true},
                                            {"Здравствуй!", 7, false},
                                            {"как дела\r\n.", 8, false},
                                            {"Ну?", 11, true},
                                            {"Снова я.", 16, true}}));

    // A character without a Windows-1251 form marks its line only.
    const auto lossy = readDialogueText("ok?\n日本\nда\n").utterances;
    ASSERT_EQ(lossy.size(), 3u);
    EXPECT_EQ(std::vector<bool>({lossy[0].lossy, lossy[1].lossy, lossy[2].lossy}),
              (std::vector<bool>{false, true, false}));
    EXPECT_EQ(teachingKey(utf8ToCp1251("ёлки-палки!?… ")), utf8ToCp1251("ЁЛКИ-ПАЛКИ"));
    EXPECT_EQ(teachingKey(utf8ToCp1251("как дела\r\n.")), utf8ToCp1251("КАК ДЕЛА"));
}

} // namespace
} // namespace besedka::test

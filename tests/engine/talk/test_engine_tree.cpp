// The knowledge-tree walk: keyword lookup and branch continuation.
#include "engine_fixture.h"
#include "files/file_error.h"
#include "text/rtf.h"

#include <set>

namespace besedka::test {
namespace {

class TreeWalk : public EngineTest {
  protected:
    TreeWalk() {
        writeLines("Base/W2.Dat", {"Не знаю."});
        writeLines("Base/W1.Dat", {"Не знаю?"});
    }

    void useWeatherTree() {
        writeLines("Base/Words.Dat",
                   {"header", "ПОГОД^Погода хорошая.;", "_ДОЖДЬ^Возьми зонт.;",
                    "__ЗОНТ^Правильно.;", "_СОЛНЦ^Иди гулять.;", "ПРИВЕТ^Привет!;"});
    }

    // Pane lines added since `from`.
    std::vector<std::string> paneFrom(std::size_t from) const {
        const auto all = pane();
        return {all.begin() + static_cast<std::ptrdiff_t>(from), all.end()};
    }
};

TEST_F(TreeWalk, KeywordLookupTakesTheFirstRootLineWhoseKeyOccurs) {
    writeLines("Base/Words.Dat",
               {"ДЕЛА^Line zero never answers.;", "ДЕЛА^", "КАК^Первая.;", "ДЕЛА^Вторая.;"});
    say("как дела");
    EXPECT_EQ(reply(), "Первая.");
    EXPECT_EQ(engine_.state().branchLevel, 1);
    EXPECT_EQ(engine_.state().branchLine, 2);
}

// Each exchange reads the tree afresh: a change on disk of the same size, in
// plain text or in RTF, answers at once. (The branch each answer starts runs
// past the tree's last line at the next exchange, whose lookup then answers.)
TEST_F(TreeWalk, TreeChangedOnDiskAnswersAtTheNextExchange) {
    for (const bool rtf : {false, true}) {
        for (const char* answer : {"Один.", "Пять.", "Один."}) {
            const std::vector<std::string> tree{"header", std::string("АБ^") + answer + ";"};
            if (rtf) {
                std::ofstream(dir_.path() / "Base/Words.Dat", std::ios::binary)
                    << writeRtf(toCp1251(tree));
            } else {
                writeLines("Base/Words.Dat", tree);
            }
            engine_.newDialogue();
            say("аб");
            EXPECT_EQ(reply(), answer);
        }
    }
}

TEST_F(TreeWalk, KeyMatchRestartsWithoutRetryingTheBreakingCharacter) {
    writeLines("Base/Words.Dat", {"header", "АБ^Нашёл.;"});
    say("ааб");
    EXPECT_EQ(reply(), "Не знаю.");
    say("хаб");
    EXPECT_EQ(reply(), "Нашёл.");
}

TEST_F(TreeWalk, DepthMarkedLinesAreNotFoundByLookup) {
    writeLines("Base/Words.Dat", {"header", "_ЗОНТ^Глубоко.;"});
    say("зонт");
    EXPECT_EQ(reply(), "Не знаю.");
}

// The branch each answer starts runs past the tree's last line at the next
// exchange, whose lookup then draws the answer anew.
TEST_F(TreeWalk, EveryAnswerOfALineCanBeDrawn) {
    writeLines("Base/Words.Dat", {"header", "ДА^Один.;Два.;Три.;"});
    std::set<std::string> seen;
    for (std::uint32_t ms = 0; ms < 40; ++ms) {
        engine_.newDialogue();
        setClock(ms * 104729);
        say("да");
        seen.insert(reply());
    }
    EXPECT_EQ(seen, (std::set<std::string>{"Один.", "Два.", "Три."}));
}

TEST_F(TreeWalk, BranchContinuationFollowsTheOutlineWithDiagnostics) {
    useWeatherTree();
    say("какая погода");
    EXPECT_EQ(reply(), "Погода хорошая.");
    const std::size_t before = pane().size();
    say("будет солнце");
    EXPECT_EQ(paneFrom(before), (std::vector<std::string>{
                                    "NomerRazryada = 1", "Vetochka = ДОЖДЬ", "S = 80", "SS = 2",
                                    "NomerRazryada = 1", "NomerRazryada = 1", "Vetochka = СОЛНЦ",
                                    "S = 80", "SS = 4", "Будет солнце.", "Иди гулять."}));
    EXPECT_EQ(engine_.state().branchLevel, 2);
    EXPECT_EQ(engine_.state().branchLine, 4);
    EXPECT_EQ(transcript().size(), 4u) << "diagnostics stay out of the transcript";
}

TEST_F(TreeWalk, DeeperCandidateIsTakenAtItsOwnLevel) {
    useWeatherTree();
    say("погода");
    say("дождь");
    EXPECT_EQ(reply(), "Возьми зонт.");
    say("взял зонт");
    EXPECT_EQ(reply(), "Правильно.");
    EXPECT_EQ(engine_.state().branchLevel, 3);
}

TEST_F(TreeWalk, RootLineEndsTheBranchAndLookupRunsInTheSameExchange) {
    useWeatherTree();
    say("погода");
    say("солнце");
    say("привет");
    EXPECT_EQ(reply(), "Привет!");
    EXPECT_EQ(engine_.state().branchLevel, 1);
    EXPECT_EQ(engine_.state().branchLine, 5);
}

TEST_F(TreeWalk, RunningPastTheLastLineEndsTheBranchSoTheTreeAnswersAgain) {
    useWeatherTree();
    say("привет"); // line 5, the last
    const std::size_t before = pane().size();
    say("погода");
    EXPECT_EQ(paneFrom(before)[0], "NomerRazryada = 1");
    EXPECT_EQ(reply(), "Погода хорошая.");
    EXPECT_EQ(engine_.state().branchLine, 1);
    say("привет");
    say("ничего не понятно");
    say("погода");
    EXPECT_EQ(reply(), "Погода хорошая.");
}

TEST_F(TreeWalk, BrokenLinesArePassedOver) {
    writeLines("Base/Words.Dat", {"header", "", "____", "^ПРИВЕТ;", "ПРИВЕТ^Без точки с запятой",
                                  "_^Пустой ключ;", "ПРИВЕТ^Целый.;", "_ЕЩЁ^Дальше.;"});
    say("привет");
    EXPECT_EQ(reply(), "Целый.");
    say("ещё");
    EXPECT_EQ(reply(), "Дальше.");
    // A branch left on line 1 of a tree since replaced by this one: the
    // continuation passes over the broken lines after it, and the first root
    // one ends it.
    walkIntoBranch(1);
    say("что там");
    EXPECT_EQ(reply(), "Не знаю.");
    EXPECT_EQ(pane(), (std::vector<std::string>{"NomerRazryada = 1", "NomerRazryada = 1",
                                                "Что там.", "Не знаю."}));
}

TEST_F(TreeWalk, MissingTreeStopsAfterTheFirstDiagnosticLine) {
    useWeatherTree();
    say("погода");
    std::filesystem::remove(dir_.path() / "Base/Words.Dat");
    const std::size_t before = pane().size();
    EXPECT_THROW(say("дождь"), FileError);
    EXPECT_EQ(paneFrom(before), (std::vector<std::string>{"NomerRazryada = 1"}));
}

} // namespace
} // namespace besedka::test

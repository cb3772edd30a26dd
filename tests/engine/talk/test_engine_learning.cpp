// Learning: the fallback reply and what the phrase teaches the lists and the tree.
#include "engine_fixture.h"
#include "files/file_error.h"
#include "talk/phrase.h"

namespace besedka::test {
namespace {

class Learning : public EngineTest {
  protected:
    Learning() {
        writeLines("Base/W1.Dat", {"Зачем?"});
        writeLines("Base/W2.Dat", {"Бывает."});
    }

    using Lines = std::vector<std::string>;
};

TEST_F(Learning, FirstExchangeLearnsNothingNew) {
    say("новость");
    EXPECT_EQ(reply(), "Бывает.");
    EXPECT_EQ(readLines("Base/W2.Dat"), Lines{"Бывает."});
    EXPECT_EQ(readLines("Base/Words.Dat"), Lines{"header"});
}

TEST_F(Learning, FirstExchangeWithAKnownListPhraseLearnsOnlyTheTreeLine) {
    writeLines("Base/W2.Dat", {"Бывает.", "Новость."});
    say("новость");
    EXPECT_EQ(readLines("Base/W2.Dat"), (Lines{"Бывает.", "Новость."}));
    EXPECT_EQ(readLines("Base/Words.Dat"), (Lines{"header", "НОВОСТЬ.^"}));
}

TEST_F(Learning, QuestionIsAnsweredFromW1AndStoredByThePreviousReply) {
    afterReply("Бывает.");
    say("почему?");
    EXPECT_EQ(reply(), "Зачем?");
    EXPECT_EQ(readLines("Base/W1.Dat"), Lines{"Зачем?"});
    EXPECT_EQ(readLines("Base/W2.Dat"), (Lines{"Бывает.", "Почему?"}));
}

TEST_F(Learning, QuestionMarkAnywhereInThePreviousReplySendsThePhraseToW1) {
    afterReply("Правда? Ну да.");
    say("да");
    EXPECT_EQ(readLines("Base/W1.Dat"), (Lines{"Зачем?", "Да."}));
}

TEST_F(Learning, PhraseEqualOnlyToLineZeroCountsAsNew) {
    writeLines("Base/W2.Dat", {"Да."});
    afterReply("Ага.");
    say("да");
    EXPECT_EQ(readLines("Base/W2.Dat"), (Lines{"Да.", "Да."}));
}

TEST_F(Learning, NewTreeLineAndAnswerForThePreviousReply) {
    writeLines("Base/Words.Dat",
               {"header", "___БЫЛО.^Первый.;", "ДРУГОЕ^Ответ.;", "___БЫЛО.^Второй.;"});
    afterReply("Было.");
    say("интересно");
    EXPECT_EQ(readLines("Base/Words.Dat"), (Lines{"header", "ДРУГОЕ^Ответ.;", "___БЫЛО.^Второй.;",
                                                  "ИНТЕРЕСНО.^", "___БЫЛО.^Первый.;Интересно.;"}));
}

TEST_F(Learning, NewKeyEqualToThePreviousReplyTakesItsOwnFirstAnswer) {
    afterReply("Эхо.");
    say("эхо.");
    EXPECT_EQ(readLines("Base/Words.Dat"), (Lines{"header", "ЭХО.^Эхо.;"}));
}

TEST_F(Learning, KnownRootKeyStopsTreeLearning) {
    writeLines("Base/Words.Dat", {"header", "ЗНАЮ.^", "ПРОШЛОЕ.^"});
    afterReply("Прошлое.");
    say("знаю.");
    EXPECT_EQ(readLines("Base/Words.Dat"), (Lines{"header", "ЗНАЮ.^", "ПРОШЛОЕ.^"}));
    EXPECT_EQ(readLines("Base/W2.Dat"), (Lines{"Бывает.", "Знаю."}));
}

TEST_F(Learning, PhraseWithoutEndPunctuationIsLearnedAgainEachTime) {
    afterReply("Ого.");
    say("снова");
    engine_.newDialogue();
    say("снова");
    EXPECT_EQ(readLines("Base/Words.Dat"), (Lines{"header", "СНОВА.^", "СНОВА.^"}));
}

TEST_F(Learning, DepthMarksGrowOverADialogueAndResetInANewOne) {
    growDepthMarks(2);
    afterReply("Ого.", 5);
    say("раз");
    writeLines("Base/W2.Dat", {"Бывает."}); // keep the previous reply off the tree keys
    say("два");
    writeLines("Base/W2.Dat", {"Бывает."});
    engine_.newDialogue();
    say("три");
    const Lines tree = readLines("Base/Words.Dat");
    ASSERT_EQ(tree.size(), 4u);
    EXPECT_EQ(tree[1], "___РАЗ.^");
    EXPECT_EQ(tree[2], "____ДВА.^");
    EXPECT_EQ(tree[3], "ТРИ.^");
}

TEST_F(Learning, PaneLinesOfTheWalkCountForTheDepthMarks) {
    writeLines("Base/Words.Dat", {"header", "ЧТО^Что-что.;"});
    say("что");       // a tree answer: the branch starts, two pane lines
    say("непонятно"); // the continuation's diagnostic line makes the third
    EXPECT_EQ(readLines("Base/Words.Dat").back(), "_НЕПОНЯТНО.^");
}

// Refuses to write the knowledge tree, as a full disk would.
class TreeWriteFails final : public FileStore {
  public:
    using FileStore::FileStore;
    void write(std::string_view path, std::string_view bytes) const override {
        if (path == "Base\\Words.Dat") {
            throw FileError(FileError::Operation::Create, std::string(path));
        }
        FileStore::write(path, bytes);
    }
};

// The reply list and the tree change together: a failed tree save keeps the
// list as it was too, so that it never knows a phrase the tree does not.
TEST_F(Learning, FailedTreeSaveKeepsTheOldListAndTheOldTree) {
    const TreeWriteFails files{PathMap(dir_.path())};
    Engine engine(files, clock_, host_);
    afterReply(engine, "Ого.", 0);
    try {
        engine.say(utf8ToCp1251("вот так"));
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "Cannot create file Base\\Words.Dat");
    }
    EXPECT_EQ(readLines("Base/W2.Dat"), Lines{"Бывает."});
    EXPECT_EQ(readLines("Base/Words.Dat"), Lines{"header"});
    EXPECT_EQ(engine.dialogue().paneCount(), 0u) << "nothing of the exchange was shown";
}

// A stored line never holds a line break: it would split in two when read back.
TEST_F(Learning, SelfTalkTextWithLineBreaksIsStoredAsOneLine) {
    afterReply("Ого.");
    writeLines("D/Txt.Dat", {"Первая", "вторая"});
    engine_.selfTalkStep();
    EXPECT_EQ(pane()[2], "Первая");
    EXPECT_EQ(readLines("Base/W2.Dat"), (Lines{"Бывает.", "Первая вторая."}));
    EXPECT_EQ(readLines("Base/Words.Dat"), (Lines{"header", "ПЕРВАЯ ВТОРАЯ.^"}));
    EXPECT_EQ(learnedText(utf8ToCp1251("А\r\nБ\n\r\r\n.")),
              utf8ToCp1251("А Б.")); // CR LF is one break
    EXPECT_EQ(learnedText(utf8ToCp1251("Да\r?")), utf8ToCp1251("Да ?"));
}

// Self-talk reads its own replies back with CR LF: each is learned once, in
// the form it was said, at whatever depth the tree holds it; a typed phrase
// still counts only root lines as known.
TEST_F(Learning, SelfTalkLearnsWhatWasSaidOnce) {
    writeLines("Base/Words.Dat", {"header", "__ПОНЯТНО.^", "ОГО.^"});
    afterReply("Ого.", 5);
    writeLines("D/Txt.Dat", {"Понятно."});
    engine_.selfTalkStep();
    EXPECT_EQ(readLines("Base/Words.Dat"), (Lines{"header", "__ПОНЯТНО.^", "ОГО.^"}));
    EXPECT_EQ(readLines("Base/W2.Dat"), (Lines{"Бывает.", "Понятно."}));

    afterReply("Ого.");
    writeLines("D/Txt.Dat", {"Неужели?"});
    engine_.selfTalkStep();
    EXPECT_EQ(readLines("Base/Words.Dat"),
              (Lines{"header", "__ПОНЯТНО.^", "_НЕУЖЕЛИ?^", "ОГО.^Неужели?;"}));

    afterReply("Ого.");
    say("понятно.");
    EXPECT_EQ(readLines("Base/Words.Dat"), (Lines{"header", "__ПОНЯТНО.^", "_НЕУЖЕЛИ?^",
                                                  "__ПОНЯТНО.^", "ОГО.^Неужели?;Понятно.;"}));
}

// The input field keeps "^", "_" and ";" out of typed phrases; a self-talk
// text that holds one teaches nothing, so no line breaks the grammar.
TEST_F(Learning, SelfTalkTextWithAReservedCharacterTeachesNothing) {
    const Lines tree = readLines("Base/Words.Dat");
    const Lines statements = readLines("Base/W2.Dat");
    for (const char* text : {"Раз;два", "Ну^да", "_Зачем"}) {
        afterReply("Ого.", 5);
        writeLines("D/Txt.Dat", {text});
        engine_.selfTalkStep();
    }
    EXPECT_EQ(readLines("Base/Words.Dat"), tree);
    EXPECT_EQ(readLines("Base/W2.Dat"), statements);
}

// Line 0 is the header that no scan reads: an empty tree gets an empty one
// first, so that the first phrase learned can be found.
TEST_F(Learning, EmptyTreeFileGetsAHeaderBeforeTheFirstPhrase) {
    writeLines("Base/Words.Dat", {});
    writeLines("Base/W2.Dat", {"Бывает.", "Раз."});
    say("раз");
    EXPECT_EQ(readLines("Base/Words.Dat"), (Lines{"", "РАЗ.^"}));
    engine_.newDialogue();
    say("раз.");
    EXPECT_EQ(readLines("Base/Words.Dat"), (Lines{"", "РАЗ.^"}));
}

TEST_F(Learning, SavedFilesAreRtf) {
    afterReply("Ого.");
    say("проверка");
    EXPECT_EQ(readBytes("Base/W2.Dat").rfind("{\\rtf", 0), 0u);
    EXPECT_EQ(readBytes("Base/Words.Dat").rfind("{\\rtf", 0), 0u);
}

} // namespace
} // namespace besedka::test

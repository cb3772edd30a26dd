// One exchange from phrase to shown and recorded reply: display, hand-over,
// farewell, failures and the Cpu\Cpu exchange buffer.
#include "engine_fixture.h"
#include "files/file_error.h"

namespace besedka::test {
namespace {

using Exchange = EngineTest;

TEST_F(Exchange, ShowsRecordsAndHandsOverTheReply) {
    writeLines("Base/W2.Dat", {"Понятно."});
    say("привет");
    EXPECT_EQ(pane(), (std::vector<std::string>{"Привет.", "Понятно."}));
    EXPECT_EQ(transcript(), (std::vector<std::string>{"USER:     Привет.", "CPU:     Понятно."}));
    EXPECT_EQ(host_.cues, (std::vector<Cue>{Cue::UserLine, Cue::Reply}));
    EXPECT_EQ(host_.inputClears, 1);
    EXPECT_EQ(host_.closings, 0);
    EXPECT_EQ(cp1251ToUtf8(engine_.state().lastReplyText), "Понятно.");
    EXPECT_EQ(cp1251ToUtf8(engine_.state().lastReplyKey), "Понятно."); // uppercased next time
    EXPECT_EQ(cp1251ToUtf8(engine_.state().userPhraseKey), "ПРИВЕТ");
    EXPECT_EQ(engine_.state().idleTicks, 0);
}

TEST_F(Exchange, LinesTakeTheConfiguredColoursAndFonts) {
    writeLines("Base/W2.Dat", {"Ясно."});
    engine_.appearance().userColour = 0x0000FF;
    engine_.appearance().replyColour = 0x00FF00;
    engine_.appearance().replyFont.bold = true;
    say("текст");
    const auto& lines = engine_.dialogue().pane();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].format.colour, 0x0000FFu);
    EXPECT_FALSE(lines[0].format.font.bold);
    EXPECT_EQ(lines[1].format.colour, 0x00FF00u);
    EXPECT_TRUE(lines[1].format.font.bold);
}

TEST_F(Exchange, FarewellMatchesTheKeyExactly) {
    writeLines("Base/W2.Dat", {"Ну ладно."});
    writeLines("Base/W1.Dat", {"Что?"});
    for (const char* phrase : {"пока", "Пока.", "ну пока!", "BY"}) {
        engine_.newDialogue(); // no repeat of the last phrase
        host_.closings = 0;
        say(phrase);
        EXPECT_EQ(host_.closings, 1) << phrase;
        EXPECT_EQ(pane().size(), 2u) << "the reply is shown first: " << phrase;
    }
    for (const char* phrase : {"пока?", "пока ", "пока, друг", "by"}) {
        host_.closings = 0;
        say(phrase);
        EXPECT_EQ(host_.closings, 0) << phrase;
    }
}

TEST_F(Exchange, EmptyPhraseMakesNoExchange) {
    say("");
    engine_.switchToCpuCpu();
    engine_.say(utf8ToCp1251("ignored")); // the exchange buffer is empty
    EXPECT_EQ(pane().size(), 1u);         // only the mode line
    EXPECT_TRUE(transcript().empty());
    EXPECT_EQ(host_.inputClears, 0);
    EXPECT_EQ(clock_.reads(), 0u);
}

TEST_F(Exchange, MissingReplyListStopsBeforeAnythingIsShown) {
    std::filesystem::remove(dir_.path() / "Base/W2.Dat");
    afterReply("Раньше.", 0);
    idleFor(7);
    try {
        say("новое");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "Cannot open file Base\\W2.Dat: No such file or directory");
    }
    EXPECT_TRUE(pane().empty());
    EXPECT_TRUE(transcript().empty());
    EXPECT_EQ(host_.inputClears, 0);
    EXPECT_EQ(cp1251ToUtf8(engine_.state().lastReplyText), "Раньше.");
    EXPECT_EQ(engine_.state().idleTicks, 7);
    EXPECT_EQ(cp1251ToUtf8(engine_.state().userPhraseKey), "НОВОЕ");
}

TEST_F(Exchange, SelfTalkTurnsEachReplyIntoTheNextPhrase) {
    writeLines("Base/Words.Dat",
               {"header", "ПРИВЕТ^Как дела?;", "КАК ДЕЛА^Хорошо!;", "ХОРОШО^Привет.;"});
    writeLines("D/Txt.Dat", {"Привет"});
    engine_.switchToCpuCpu();
    engine_.selfTalkStep();
    engine_.selfTalkStep();
    engine_.selfTalkStep();
    // Each tree answer starts a branch, so the next walk first looks for a
    // continuation and meets the next root line.
    EXPECT_EQ(pane(), (std::vector<std::string>{"Сервис:   // Режим диалога Cpu\\Cpu.", "Привет",
                                                ".", "Как дела?", "NomerRazryada = 1", "Как дела?",
                                                ".", "Хорошо!", "NomerRazryada = 1", "Хорошо!", ".",
                                                "Привет."}));
    EXPECT_EQ(readBytes("D/Txt.Dat"), utf8ToCp1251("Привет.\r\n"));
}

TEST_F(Exchange, SelfTalkWritesToTheChosenPathAndReadsTheFixedOne) {
    writeLines("Base/Words.Dat", {"header", "ПРИВЕТ^Здравствуй.;"});
    writeLines("D/Txt.Dat", {"привет"});
    engine_.setExchangeWritePath("D:\\Other.Dat");
    engine_.selfTalkStep();
    EXPECT_EQ(readBytes("D/Txt.Dat"), utf8ToCp1251("привет\r\n"));
    EXPECT_EQ(readBytes("D/Other.Dat"), utf8ToCp1251("Здравствуй.\r\n"));
}

TEST_F(Exchange, UnwritableExchangeFileStopsAfterTheDisplay) {
    writeLines("Base/Words.Dat", {"header", "ПРИВЕТ^Здравствуй.;"});
    writeLines("D/Txt.Dat", {"пока"});
    engine_.setExchangeWritePath("D:\\NoSuchDir\\Out.Dat");
    EXPECT_THROW(engine_.selfTalkStep(), FileError);
    EXPECT_EQ(pane().size(), 3u); // "Пока", "." and the reply
    EXPECT_EQ(transcript().size(), 3u);
    EXPECT_TRUE(engine_.state().lastReplyText.empty());
    EXPECT_EQ(host_.inputClears, 0);
}

TEST_F(Exchange, MissingExchangeFileChangesNothing) {
    engine_.setExchangeBuffer("kept");
    EXPECT_THROW(engine_.selfTalkStep(), FileError);
    EXPECT_EQ(engine_.exchangeBuffer(), "kept");
    EXPECT_TRUE(pane().empty());
}

TEST_F(Exchange, SelfTalkHalvesReadThenTalk) {
    writeLines("Base/Words.Dat", {"header", "ПРИВЕТ^Здравствуй.;"});
    std::ofstream(dir_.path() / "D/Txt.Dat", std::ios::binary) << "x\ny";
    engine_.readExchangeFile();
    EXPECT_EQ(engine_.exchangeBuffer(), "x\r\ny");
    EXPECT_TRUE(pane().empty()); // reading alone makes no exchange

    engine_.setExchangeBuffer(utf8ToCp1251("привет"));
    engine_.selfTalkExchange(); // talks on the buffer, whatever the file holds
    EXPECT_EQ(reply(), "Здравствуй.");
    EXPECT_EQ(readBytes("D/Txt.Dat"), utf8ToCp1251("Здравствуй.\r\n"));
}

TEST_F(Exchange, FarewellInSelfTalkNeedsTextWithoutALineBreak) {
    writeLines("Base/W2.Dat", {"Ну ладно."});
    std::ofstream(dir_.path() / "D/Txt.Dat", std::ios::binary) << utf8ToCp1251("пока\r\n");
    engine_.selfTalkStep();
    EXPECT_EQ(host_.closings, 0);
    std::ofstream(dir_.path() / "D/Txt.Dat", std::ios::binary) << utf8ToCp1251("пока");
    engine_.selfTalkStep();
    EXPECT_EQ(host_.closings, 1);
}

TEST_F(Exchange, InsultListSurvivesSelfTalk) {
    writeLines("Base/X.Dat", {"Не груби."});
    writeLines("Base/W2.Dat", {"Ага."});
    writeLines("D/Txt.Dat", {"одна строка"});
    engine_.switchToCpuCpu();
    engine_.selfTalkStep();
    engine_.switchToCpuUser();
    say("ты хам");
    EXPECT_EQ(reply(), "Не груби.");
}

TEST_F(Exchange, SelfTalkTextWithLineBreaksIsOnePaneLinePerLine) {
    writeLines("Base/W2.Dat", {"Ага."});
    writeLines("Base/Povtor.Dat", {"Опять."});
    std::ofstream(dir_.path() / "D/Txt.Dat", std::ios::binary) << utf8ToCp1251("А\nБ\r");
    engine_.selfTalkStep();
    EXPECT_EQ(engine_.exchangeBuffer(), utf8ToCp1251("Ага.\r\n"));
    EXPECT_EQ(pane(), (std::vector<std::string>{"А", "Б", ".", "Ага."}));
    EXPECT_EQ(transcript(), (std::vector<std::string>{"USER:     А", "Б", ".", "CPU:     Ага."}));

    // The same text again is no repeat: the pane line before the last is ".".
    std::ofstream(dir_.path() / "D/Txt.Dat", std::ios::binary) << utf8ToCp1251("А\r\nБ\r\n");
    engine_.selfTalkStep();
    EXPECT_EQ(reply(), "Ага.");
    engine_.undo();
    EXPECT_EQ(pane().size(), 7u);
    EXPECT_EQ(transcript().back(), ".");
}

TEST_F(Exchange, ModeLinesAndNewDialogue) {
    walkIntoBranch(2);
    engine_.switchToCpuUser();
    EXPECT_EQ(pane(), (std::vector<std::string>{"Сервис:   // Режим диалога Cpu\\User.", ""}));
    EXPECT_EQ(engine_.dialogue().insertionFormat().colour, kTeal);
    engine_.switchToCpuCpu();
    EXPECT_EQ(pane().size(), 3u);
    EXPECT_EQ(engine_.mode(), Mode::CpuCpu);
    EXPECT_TRUE(transcript().empty());
    engine_.newDialogue();
    EXPECT_TRUE(pane().empty());
    EXPECT_EQ(engine_.state().branchLevel, 2);
}

TEST_F(Exchange, UndoRemovesOneLineOfEach) {
    writeLines("Base/W2.Dat", {"Ага."});
    say("раз");
    engine_.switchToCpuCpu();
    engine_.undo();
    EXPECT_EQ(pane().size(), 2u);
    EXPECT_EQ(transcript(), (std::vector<std::string>{"USER:     Раз."}));
    engine_.undo();
    engine_.undo();
    engine_.undo(); // an empty pane and transcript stay empty
    EXPECT_TRUE(pane().empty());
    EXPECT_TRUE(transcript().empty());
}

} // namespace
} // namespace besedka::test

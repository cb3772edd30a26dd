// Repeat, insult, personal topic and the long phrase behind its random gate.
#include "engine_fixture.h"
#include "talk/random.h"

#include <set>

namespace besedka::test {
namespace {

class Responders : public EngineTest {
  protected:
    Responders() {
        writeLines("Base/Povtor.Dat", {"Ты повторяешься."});
        writeLines("Base/X.Dat", {"Не груби."});
        writeLines("Base/BigString.Dat", {"Слишком длинно."});
        writeLines("Base/W1.Dat", {"Вопрос?"});
        writeLines("Base/W2.Dat", {"Утверждение."});
    }

    // A clock start whose first draw of 1..6 opens (or keeps shut) the gate.
    static std::uint32_t clockForGate(bool open) {
        for (std::uint32_t ms = 1000;; ++ms) {
            Random random(ms);
            const int gate = random.range(1, 6);
            if ((gate != 2 && gate != 6) == open) {
                return ms;
            }
        }
    }
};

TEST_F(Responders, RepeatComparesTheShownPhraseWithThePreviousPaneLine) {
    say("привет");
    say("Привет.");
    EXPECT_EQ(reply(), "Ты повторяешься.");
    engine_.newDialogue();
    say("привет");
    say("привет!");
    EXPECT_NE(reply(), "Ты повторяешься.");
}

TEST_F(Responders, RepeatNeedsTwoPaneLines) {
    engine_.switchToCpuCpu(); // one pane line
    engine_.switchToCpuUser();
    engine_.newDialogue();
    engine_.dialogue().appendToPane(utf8ToCp1251("Привет."));
    say("привет");
    EXPECT_EQ(reply(), "Утверждение.");
}

TEST_F(Responders, AnIdleRemarkInBetweenIsNoRepeat) {
    say("привет");
    engine_.dialogue().appendToPane(utf8ToCp1251("Ты здесь?"));
    say("привет");
    EXPECT_EQ(reply(), "Утверждение.");
}

TEST_F(Responders, InsultEntriesCarryTheirSpacesAndPunctuation) {
    for (const char* insult :
         {"ты хам", "ты хамелеон", "ты гад!", "ты гад.", "гад ты", "дура", "ты дура", "ты хер?"}) {
        engine_.newDialogue();
        say(insult);
        EXPECT_EQ(reply(), "Не груби.") << insult;
    }
    for (const char* harmless : {"хам", "ты гад", "ты гад?", "ддура", "ты DURA"}) {
        engine_.newDialogue();
        say(harmless);
        EXPECT_NE(reply(), "Не груби.") << harmless;
    }
}

TEST_F(Responders, RepeatWinsOverInsultAndInsultOverPersonalTopic) {
    say("ты хам");
    say("ты хам");
    EXPECT_EQ(reply(), "Ты повторяешься.");
    engine_.newDialogue();
    say("ты урод, меня зовут Вася");
    EXPECT_EQ(reply(), "Не груби.");
}

TEST_F(Responders, PersonalTopicKeepsThePreviousReplyAndLearnsNothing) {
    const auto wordsBefore = readBytes("Base/Words.Dat");
    say("меня зовут Вася");
    EXPECT_EQ(pane(), (std::vector<std::string>{"Меня зовут Вася.", ""}));
    EXPECT_EQ(transcript().back(), "CPU:     ");
    say("расскажи что-нибудь");
    const std::string previous = reply();
    say("сколько тебе лет?");
    EXPECT_EQ(reply(), previous);
    say("в таком виде");
    EXPECT_EQ(reply(), previous);
    EXPECT_EQ(readBytes("Base/Words.Dat").size() > 0, true);
    EXPECT_EQ(readLines("Base/W1.Dat"), (std::vector<std::string>{"Вопрос?"}));
}

TEST_F(Responders, PersonalTopicStillGetsATreeAnswer) {
    writeLines("Base/Words.Dat", {"header", "ЗОВУТ^Приятно познакомиться.;"});
    say("меня зовут Вася");
    EXPECT_EQ(reply(), "Приятно познакомиться.");
}

TEST_F(Responders, ShortWordsAloneAreNoPersonalTopic) {
    say("лет");
    EXPECT_EQ(reply(), "Утверждение.");
    say("улетаю");
    EXPECT_EQ(reply(), "Утверждение.");
}

TEST_F(Responders, LongPhraseCountsTheAppendedPeriodWhenTheGateOpens) {
    const std::string long109(109, 'a');
    setClock(clockForGate(true));
    say(long109); // 110 characters once "." is appended
    EXPECT_EQ(reply(), "Слишком длинно.");
    engine_.newDialogue();
    setClock(clockForGate(true));
    say(std::string(108, 'b') + "."); // 109 characters
    EXPECT_EQ(reply(), "Утверждение.");
}

TEST_F(Responders, ShutGateSendsALongPhraseToTheTree) {
    writeLines("Base/Words.Dat", {"header", "AAA^Tree.;"});
    setClock(clockForGate(false));
    say(std::string(200, 'A'));
    EXPECT_EQ(reply(), "Tree.");
}

TEST_F(Responders, RepliesAreDrawnFromEveryLineIncludingLineZero) {
    writeLines("Base/Povtor.Dat", {"Первый.", "Второй.", "Третий."});
    std::set<std::string> seen;
    for (std::uint32_t ms = 0; ms < 60; ++ms) {
        engine_.newDialogue();
        say("снова");
        setClock(ms * 7919);
        say("снова");
        seen.insert(reply());
    }
    EXPECT_EQ(seen, (std::set<std::string>{"Первый.", "Второй.", "Третий."}));
}

TEST_F(Responders, EmptyReplyListGivesAnEmptyReply) {
    writeLines("Base/Povtor.Dat", {});
    say("снова");
    say("снова");
    EXPECT_EQ(pane().back(), "");
}

} // namespace
} // namespace besedka::test

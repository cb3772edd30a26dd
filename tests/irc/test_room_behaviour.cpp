// Who the bot answers and in which conversation: addressing with the
// server's case folding, private messages, notices, ignored nicks, CTCP,
// flood, nick changes and the conversation ids.

#include "irc/addressing.h"
#include "irc/conversation_directory.h"
#include "irc/message.h"
#include "irc/reply_split.h"
#include "irc/room_behaviour.h"
#include "irc/server_features.h"

#include "hub/conversation_hub.h"

#include <gtest/gtest.h>

#include <set>

namespace besedka::irc {
namespace {

const Instant kStart = Instant() + std::chrono::hours(1);

// As the hub takes them.
bool validId(const std::string& id) {
    return isConversationId(id);
}

class RoomBehaviourTest : public ::testing::Test {
  protected:
    RoomBehaviourTest()
        : behaviour_(BehaviourSettings{"irc.example.org", {"otherbot"}, "besedka 1.0", {}}) {}

    Reaction hear(const std::string& line) {
        const auto message = parseMessage(line);
        EXPECT_TRUE(message) << line;
        at_ += std::chrono::seconds(3);
        return behaviour_.react(*message, RoomView{nick_, features_}, at_);
    }
    std::optional<Phrase> phraseOf(const std::string& line) { return hear(line).phrase; }

    ServerFeatures features_;
    std::string nick_ = "Besedka";
    RoomBehaviour behaviour_;
    Instant at_ = kStart;
};

TEST(Addressing, TakesNameColonAndNameCommaAsTheServerFoldsNicks) {
    EXPECT_EQ(addressedText("besedka: привет", "Besedka", CaseMapping::Rfc1459), "привет");
    EXPECT_EQ(addressedText("  BESEDKA,как дела", "besedka", CaseMapping::Ascii), "как дела");
    EXPECT_EQ(addressedText("bot{1}: hi", "BOT[1]", CaseMapping::Rfc1459), "hi");
    EXPECT_FALSE(addressedText("bot{1}: hi", "BOT[1]", CaseMapping::Ascii));
    EXPECT_EQ(addressedText("bot^: hi", "bot~", CaseMapping::Rfc1459), "hi");
    EXPECT_FALSE(addressedText("bot^: hi", "bot~", CaseMapping::StrictRfc1459));
    EXPECT_EQ(addressedText("besedka:", "besedka", CaseMapping::Rfc1459), "");
    for (const char* text : {"besedka привет", "besedkas: hi", "hi besedka: hi", "besedk: x", ""}) {
        EXPECT_FALSE(addressedText(text, "besedka", CaseMapping::Rfc1459)) << text;
    }
}

TEST(ServerFeatures, ReadsCaseMappingChannelTypesNickLengthAndUtf8Only) {
    ServerFeatures features;
    EXPECT_EQ(features.caseMapping, CaseMapping::Rfc1459);
    readFeatures(*parseMessage(":s 005 bot CASEMAPPING=ascii CHANTYPES=#+ NICKLEN=30 UTF8ONLY "
                               ":are supported by this server"),
                 features);
    EXPECT_EQ(features.caseMapping, CaseMapping::Ascii);
    EXPECT_TRUE(features.isChannel("+room"));
    EXPECT_FALSE(features.isChannel("&room"));
    EXPECT_EQ(features.nickLength, 30U);
    EXPECT_TRUE(features.utf8Only);
    readFeatures(*parseMessage(":s 005 bot NICKLEN=x CASEMAPPING=strange :are"), features);
    EXPECT_EQ(features.nickLength, 30U);
    EXPECT_EQ(features.caseMapping, CaseMapping::Rfc1459);
    readFeatures(*parseMessage(":s 001 bot NICKLEN=5 :Welcome"), features);
    EXPECT_EQ(features.nickLength, 30U);
}

TEST_F(RoomBehaviourTest, AnswersAddressedChannelMessagesAndEveryPrivateOne) {
    const auto addressed = phraseOf(":alice!a@h PRIVMSG #room :besedka, \x02привет\x02 \x03"
                                    "4всем");
    ASSERT_TRUE(addressed);
    EXPECT_EQ(addressed->text, "привет всем");
    EXPECT_EQ(addressed->target, "#room");
    EXPECT_EQ(addressed->lead, "alice: ");
    EXPECT_EQ(addressed->origin, "irc irc.example.org #room alice");
    EXPECT_TRUE(validId(addressed->conversation)) << addressed->conversation;

    EXPECT_FALSE(phraseOf(":alice!a@h PRIVMSG #room :привет всем"));
    EXPECT_FALSE(phraseOf(":alice!a@h PRIVMSG #room :besedka:   "));

    const auto privately = phraseOf(":alice!a@h PRIVMSG Besedka :как дела?");
    ASSERT_TRUE(privately);
    EXPECT_EQ(privately->text, "как дела?");
    EXPECT_EQ(privately->target, "alice");
    EXPECT_EQ(privately->lead, "");
    EXPECT_NE(privately->conversation, addressed->conversation);
    EXPECT_TRUE(validId(privately->conversation));
}

TEST_F(RoomBehaviourTest, NeverAnswersNoticesItselfOrIgnoredBots) {
    EXPECT_FALSE(phraseOf(":alice!a@h NOTICE Besedka :привет"));
    EXPECT_FALSE(phraseOf(":alice!a@h NOTICE #room :besedka: привет"));
    EXPECT_FALSE(phraseOf(":besedka!b@h PRIVMSG #room :Besedka: привет"));
    EXPECT_FALSE(phraseOf(":OtherBot!o@h PRIVMSG Besedka :привет"));
    EXPECT_FALSE(phraseOf(":irc.example.org PRIVMSG Besedka :server text"));
    EXPECT_TRUE(hear(":alice!a@h NOTICE Besedka :\x01VERSION\x01").notices.empty());
}

TEST_F(RoomBehaviourTest, AnswersCtcpVersionAndPingAndIgnoresTheRest) {
    const Reaction version = hear(":alice!a@h PRIVMSG Besedka :\x01VERSION\x01");
    ASSERT_EQ(version.notices.size(), 1U);
    EXPECT_EQ(version.notices[0].target, "alice");
    EXPECT_EQ(version.notices[0].text, "\x01VERSION besedka 1.0\x01");
    EXPECT_FALSE(version.phrase);

    const Reaction ping = hear(":alice!a@h PRIVMSG #room :\x01PING 12345\x01");
    ASSERT_EQ(ping.notices.size(), 1U);
    EXPECT_EQ(ping.notices[0].text, "\x01PING 12345\x01");

    for (const char* line : {":alice!a@h PRIVMSG Besedka :\x01"
                             "ACTION машет\x01",
                             ":alice!a@h PRIVMSG #room :\x01"
                             "ACTION besedka: hi\x01",
                             ":alice!a@h PRIVMSG Besedka :\x01TIME\x01"}) {
        const Reaction other = hear(line);
        EXPECT_TRUE(other.notices.empty()) << line;
        EXPECT_FALSE(other.phrase) << line;
    }
}

TEST_F(RoomBehaviourTest, AFlooderIsNeitherAnsweredNorHeardForAMinute) {
    const auto first = phraseOf(":bob!b@h PRIVMSG Besedka :раз");
    ASSERT_TRUE(first);
    int heard = 1;
    for (int i = 0; i < 19; ++i) {
        const auto message = parseMessage(":bob!b@h PRIVMSG Besedka :фраза");
        at_ += std::chrono::milliseconds(100);
        heard += behaviour_.react(*message, RoomView{nick_, features_}, at_).phrase ? 1 : 0;
    }
    EXPECT_EQ(heard, 5);
    EXPECT_FALSE(phraseOf(":bob!b@h PRIVMSG Besedka :ещё")); // 3 s later
    EXPECT_TRUE(phraseOf(":alice!a@h PRIVMSG Besedka :привет"));
    at_ += std::chrono::seconds(60);
    EXPECT_TRUE(phraseOf(":bob!b@h PRIVMSG Besedka :простите"));
}

TEST_F(RoomBehaviourTest, ANickChangeKeepsTheConversationAndLeavingEndsIt) {
    const auto before = phraseOf(":alice!a@h PRIVMSG #room :besedka: привет");
    const auto privately = phraseOf(":alice!a@h PRIVMSG Besedka :привет");
    ASSERT_TRUE(before && privately);
    hear(":alice!a@h NICK :Alisa");
    const auto after = phraseOf(":Alisa!a@h PRIVMSG #room :BESEDKA: это я");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->conversation, before->conversation);
    EXPECT_EQ(after->lead, "Alisa: ");
    // Someone new under the old nick is someone else.
    const auto newcomer = phraseOf(":alice!x@y PRIVMSG #room :besedka: привет");
    ASSERT_TRUE(newcomer);
    EXPECT_NE(newcomer->conversation, before->conversation);

    const Reaction parted = hear(":Alisa!a@h PART #room :bye");
    EXPECT_EQ(parted.ended, std::vector<std::string>{before->conversation});
    const Reaction quit = hear(":alisa!a@h QUIT :gone");
    EXPECT_EQ(quit.ended, std::vector<std::string>{privately->conversation});
    const Reaction kicked = hear(":op!o@h KICK #room alice :out");
    EXPECT_EQ(kicked.ended, std::vector<std::string>{newcomer->conversation});
    EXPECT_EQ(behaviour_.openConversations(), 0U);
}

TEST_F(RoomBehaviourTest, AFarewellEndsTheConversationForTheNextPhrase) {
    const auto first = phraseOf(":alice!a@h PRIVMSG Besedka :пока");
    ASSERT_TRUE(first);
    EXPECT_EQ(behaviour_.openConversations(), 1U);
    behaviour_.conversationEnded(first->conversation);
    EXPECT_EQ(behaviour_.openConversations(), 0U);
    EXPECT_TRUE(phraseOf(":alice!a@h PRIVMSG Besedka :снова привет"));
}

TEST(ConversationIds, StayValidAndApartHoweverTheNamesAreCut) {
    std::set<std::string> ids;
    const std::string longName(200, 'x');
    for (const std::string& nick : {std::string("alice"), std::string("Алиса"), longName,
                                    longName + "y", std::string("a|b^c")}) {
        for (const std::string& channel :
             {std::string(), std::string("#room"), std::string("#комната"), "#" + longName}) {
            const std::string id = conversationId("irc.example.org", channel, nick, 0);
            EXPECT_TRUE(validId(id)) << id;
            ids.insert(id);
        }
    }
    EXPECT_EQ(ids.size(), 20U);
    EXPECT_EQ(conversationId("n", "#room", "alice", 0).rfind("n.room.alice-", 0), 0U);
    EXPECT_EQ(conversationId("n", "", "alice", 0).rfind("n.private.alice-", 0), 0U);
    EXPECT_NE(conversationId("n", "", "alice", 0), conversationId("n", "", "alice", 1));
}

TEST_F(RoomBehaviourTest, RepliesAreAddressedAndCutToFitTheRelayedLine) {
    const auto phrase = phraseOf(":alice!a@h PRIVMSG #room :besedka: расскажи");
    ASSERT_TRUE(phrase);
    std::string reply;
    for (int i = 0; i < 100; ++i) {
        reply += "слово ";
    }
    const auto texts =
        replyTexts(*phrase, reply, "Besedka", "Besedka!~b@127.0.0.1", Encoding::Utf8);
    ASSERT_GE(texts.size(), 3U);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i].rfind("alice: ", 0), 0U);
        const std::string relayed = ":Besedka!~b@127.0.0.1 PRIVMSG #room :" + texts[i] + "\r\n";
        EXPECT_LE(relayed.size(), 512U);
        if (i + 1 < texts.size()) {
            EXPECT_GT(relayed.size(), 500U); // full lines, not timid ones
        }
    }
    // Unknown prefix: the longest the server could make it.
    for (const std::string& text : replyTexts(*phrase, reply, "Besedka", "", Encoding::Utf8)) {
        EXPECT_LE((":" + longestPrefixFor("Besedka") + " PRIVMSG #room :" + text + "\r\n").size(),
                  512U);
    }
    EXPECT_EQ(replyTexts(*phrase, "\x02Привет\x02", "Besedka", "", Encoding::Utf8),
              std::vector<std::string>{"alice: Привет"});
}

} // namespace
} // namespace besedka::irc

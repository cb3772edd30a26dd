#include "irc/ctcp.h"
#include "irc/formatting.h"
#include "irc/message.h"

#include <gtest/gtest.h>

namespace besedka::irc {
namespace {

TEST(Message, ReadsTagsPrefixCommandAndParameters) {
    const auto message =
        parseMessage("@time=2024-01-01T00:00:00Z :alice!~a@host PRIVMSG #room :hello there ");
    ASSERT_TRUE(message);
    EXPECT_EQ(message->tags, "time=2024-01-01T00:00:00Z");
    EXPECT_EQ(message->prefix, "alice!~a@host");
    EXPECT_EQ(message->command, "PRIVMSG");
    ASSERT_EQ(message->params.size(), 2U);
    EXPECT_EQ(message->params[0], "#room");
    EXPECT_EQ(message->params[1], "hello there "); // the trailing keeps its spaces
    EXPECT_EQ(prefixNick(message->prefix), "alice");
}

TEST(Message, ReadsNumericsMiddleParametersAndEmptyTrailing) {
    const auto welcome = parseMessage(":irc.example 005 bot  CASEMAPPING=ascii NICKLEN=30 :are");
    ASSERT_TRUE(welcome);
    EXPECT_EQ(welcome->command, "005");
    EXPECT_EQ(welcome->params,
              (std::vector<std::string>{"bot", "CASEMAPPING=ascii", "NICKLEN=30", "are"}));
    const auto topic = parseMessage("TOPIC #room :");
    ASSERT_TRUE(topic);
    EXPECT_EQ(topic->params, (std::vector<std::string>{"#room", ""}));
    const auto ping = parseMessage("PING");
    ASSERT_TRUE(ping);
    EXPECT_TRUE(ping->params.empty());
    EXPECT_EQ(ping->param(3), "");
    EXPECT_EQ(prefixNick("irc.example.org"), "irc.example.org");
}

TEST(Message, RefusesLinesWithoutACommand) {
    for (const char* line : {"", "   ", ":prefix", ":prefix ", "@tags", "12 x", "PRIV-MSG x",
                             "1234 x", ":p 0a1 x", "ПРИВЕТ"}) {
        EXPECT_FALSE(parseMessage(line)) << line;
    }
}

TEST(Message, BuildsLinesThatReadBackAsTheyWereBuilt) {
    EXPECT_EQ(buildLine("PRIVMSG", {"#room", "bob: привет, как дела?"}),
              "PRIVMSG #room :bob: привет, как дела?");
    EXPECT_EQ(buildLine("JOIN", {"#room"}), "JOIN #room");
    EXPECT_EQ(buildLine("QUIT", {""}), "QUIT :");
    EXPECT_EQ(buildLine("PRIVMSG", {"bob", ":-)"}), "PRIVMSG bob ::-)");
    const std::vector<std::string> params{"bob", "a  b :c"};
    const auto line = buildLine("NOTICE", params);
    ASSERT_TRUE(line);
    const auto back = parseMessage(*line);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->params, params);
}

TEST(Message, RefusesToBuildWhatALineCannotCarry) {
    EXPECT_FALSE(buildLine("PRIVMSG", {"#room", "one\r\nQUIT :injected"}));
    EXPECT_FALSE(buildLine("PRIVMSG", {"#room", std::string("a\0b", 3)}));
    EXPECT_FALSE(buildLine("PRIVMSG", {"#room x", "text"}));
    EXPECT_FALSE(buildLine("PRIVMSG", {"", "text"}));
    EXPECT_FALSE(buildLine("PRIVMSG", {":room", "text"}));
    EXPECT_FALSE(buildLine("PRIV MSG", {"x"}));
    EXPECT_FALSE(buildLine("", {}));
}

TEST(Ctcp, ReadsRequestsWithOrWithoutTheClosingMark) {
    const auto version = parseCtcp("\x01VERSION\x01");
    ASSERT_TRUE(version);
    EXPECT_EQ(version->command, "VERSION");
    EXPECT_EQ(version->argument, "");
    const auto ping = parseCtcp("\x01PING 1700000000 123");
    ASSERT_TRUE(ping);
    EXPECT_EQ(ping->command, "PING");
    EXPECT_EQ(ping->argument, "1700000000 123");
    EXPECT_FALSE(parseCtcp("VERSION"));
    EXPECT_EQ(ctcpText("PING", "42"), "\x01PING 42\x01");
    EXPECT_EQ(ctcpText("VERSION", ""), "\x01VERSION\x01");
}

TEST(Formatting, StripsEveryCodeAndKeepsTheText) {
    EXPECT_EQ(stripFormatting("\x02жирный\x02 \x1Dкурсив\x1D \x1Fподчёркнутый\x1F "
                              "\x16обратный\x16 \x1Eзачёркнутый\x1E \x11моно\x11\x0F"),
              "жирный курсив подчёркнутый обратный зачёркнутый моно");
    EXPECT_EQ(stripFormatting("\x03"
                              "4красный\x03 \x03"
                              "04,12на синем\x03"),
              "красный на синем");
    EXPECT_EQ(stripFormatting("\x03"
                              "123"),
              "3"); // two digits at most
    EXPECT_EQ(stripFormatting("\x03"
                              "4,text"),
              ",text");                           // a comma without a background is text
    EXPECT_EQ(stripFormatting("\x03,5x"), ",5x"); // no foreground: the code alone goes
    EXPECT_EQ(stripFormatting("\x04"
                              "FF0000,00ff00hex\x04"),
              "hex");
    EXPECT_EQ(stripFormatting("a\tb\x07\x7F"), "a b");
}

} // namespace
} // namespace besedka::irc

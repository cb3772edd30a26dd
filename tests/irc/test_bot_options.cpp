#include "irc/bot_options.h"

#include <gtest/gtest.h>

#include <fstream>

namespace besedka::irc {
namespace {

std::optional<std::string> parse(const std::vector<std::string>& args, BotOptions& options) {
    return parseBotOptions(args, options);
}

TEST(BotOptions, ReadsEveryOptionInEitherForm) {
    BotOptions options;
    EXPECT_EQ(parse({"--server=h", "--nick", "Бот"}, options),
              "not a nick the server takes: 'Бот'");
    options = {};
    ASSERT_EQ(parse({"--server=irc.example.org:6668", "--nick", "bot[1]", "--channel", "#a",
                     "--channel=room", "--ignore", "other", "--encoding=cp1251", "--burst", "2",
                     "--send-interval", "1500", "/tmp/work"},
                    options),
              std::nullopt);
    EXPECT_EQ(options.server->host, "irc.example.org");
    EXPECT_EQ(options.server->port, 6668);
    EXPECT_FALSE(options.server->tls);
    EXPECT_EQ(options.nick, "bot[1]");
    EXPECT_EQ(options.channels, (std::vector<std::string>{"#a", "#room"}));
    EXPECT_EQ(options.ignore, std::vector<std::string>{"other"});
    EXPECT_EQ(options.encoding, Encoding::Cp1251);
    EXPECT_EQ(options.pace.burst, 2U);
    EXPECT_EQ(options.pace.interval, std::chrono::milliseconds(1500));
    EXPECT_EQ(options.workdir, std::filesystem::path("/tmp/work"));
}

TEST(BotOptions, TlsTakesItsOwnDefaultPortWhereverItStands) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--tls", "--server", "h"},
                                               {"--server", "h", "--tls"},
                                               {"--server=h", "--tls-ca", "f"}}) {
        BotOptions options;
        ASSERT_EQ(parse(args, options), std::nullopt);
        EXPECT_TRUE(options.server->tls);
        EXPECT_EQ(options.server->port, 6697);
    }
    BotOptions options;
    ASSERT_EQ(parse({"--server", "[::1]:7000", "--tls"}, options), std::nullopt);
    EXPECT_EQ(options.server->host, "::1");
    EXPECT_EQ(options.server->port, 7000);
    EXPECT_EQ(parseServerAddress("h", false)->port, 6667);
}

TEST(BotOptions, ExplainsWhatIsWrong) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{}, "--server HOST[:PORT] is needed"},
        {{"--server", "h", "--channel"}, "--channel needs a value (quote it: --channel '#chan')"},
        {{"--server", "h:0"}, "--server expects HOST[:PORT], got 'h:0'"},
        {{"--server", "::1:6667"}, "--server expects HOST[:PORT], got '::1:6667'"},
        {{"--server", "h:"}, "--server expects HOST[:PORT], got 'h:'"},
        {{"--server", "h", "--nick", "-x"}, "not a nick the server takes: '-x'"},
        {{"--server", "h", "--channel", "#a b"}, "not a channel name: '#a b'"},
        {{"--server", "h", "--burst", "0"},
         "--burst expects a number of lines from 1 to 100, got '0'"},
        {{"--server", "h", "--send-interval", "1s"},
         "--send-interval expects milliseconds from 0 to 60000, got '1s'"},
        {{"--server", "h", "a", "b"}, "one working directory only, got 'b' too"},
        {{"--server", "h", "--tls=yes"}, "unknown option '--tls=yes'"},
    };
    for (const auto& [args, message] : cases) {
        BotOptions options;
        EXPECT_EQ(parse(args, options), message) << args.size();
    }
}

TEST(BotOptions, TheHelpNamesEveryOptionTheParserTakes) {
    for (const BotOptionHelp& entry : botOptionHelp()) {
        const std::string_view option = entry.words.substr(0, entry.words.find(' '));
        if (option.starts_with("--")) {
            EXPECT_EQ(takesValue(option), entry.words.find(' ') != std::string_view::npos)
                << option;
        }
        EXPECT_LE(entry.summary.size() + 20, 80U) << entry.words;
    }
    EXPECT_TRUE(takesValue("--workdir"));
    EXPECT_FALSE(takesValue("--tl"));
}

TEST(BotOptions, ReadsThePasswordsFirstLine) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / "besedka-irc-password-test";
    std::ofstream(file) << "s3cret word\r\nsecond line\n";
    std::string password;
    EXPECT_EQ(readPassword(file, password), std::nullopt);
    EXPECT_EQ(password, "s3cret word");
    std::ofstream(file) << "\n";
    EXPECT_TRUE(readPassword(file, password));
    std::filesystem::remove(file);
    EXPECT_EQ(readPassword(file, password), "cannot read the password file " + file.string());
}

} // namespace
} // namespace besedka::irc

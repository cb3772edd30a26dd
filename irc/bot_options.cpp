#include "irc/bot_options.h"

#include <algorithm>
#include <charconv>
#include <fstream>

namespace besedka::irc {
namespace {

constexpr std::size_t kLongestPassword = 400;
constexpr std::size_t kLongestChannel = 200;

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isSpecial(char c) {
    return std::string_view("[]\\`_^{|}").find(c) != std::string_view::npos;
}

std::optional<unsigned> number(std::string_view text, unsigned lowest, unsigned highest) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest ||
        value > highest) {
        return std::nullopt;
    }
    return value;
}

// "--name=value" as the two words "--name" "value", where --name takes one.
std::vector<std::string> words(const std::vector<std::string>& args) {
    std::vector<std::string> result;
    for (const std::string& arg : args) {
        const std::size_t equals = arg.find('=');
        if (arg.starts_with("--") && equals != std::string::npos &&
            takesValue(std::string_view(arg).substr(0, equals))) {
            result.push_back(arg.substr(0, equals));
            result.push_back(arg.substr(equals + 1));
        } else {
            result.push_back(arg);
        }
    }
    return result;
}

// A channel as given, with "#" put before a bare name ("room").
std::optional<std::string> channelNamed(std::string_view name) {
    if (name.empty() || name.size() > kLongestChannel ||
        name.find_first_of(std::string_view(" ,\x07\r\n\0", 6)) != std::string_view::npos) {
        return std::nullopt;
    }
    if (name.front() == '#' || name.front() == '&') {
        return std::string(name);
    }
    return "#" + std::string(name);
}

std::optional<std::string> takeValue(std::string_view option, std::string_view value,
                                     BotOptions& options) {
    if (option == "--nick") {
        options.nick = value;
        return validNick(value) ? std::nullopt
                                : std::optional<std::string>("not a nick the server takes: '" +
                                                             std::string(value) + "'");
    }
    if (option == "--channel") {
        const auto channel = channelNamed(value);
        if (!channel) {
            return "not a channel name: '" + std::string(value) + "'";
        }
        options.channels.push_back(*channel);
    } else if (option == "--tls-ca") {
        options.tlsCa = std::filesystem::path(value);
    } else if (option == "--password-file") {
        options.passwordFile = std::filesystem::path(value);
    } else if (option == "--encoding") {
        const auto encoding = encodingNamed(value);
        if (!encoding) {
            return "--encoding expects utf-8 or cp1251, got '" + std::string(value) + "'";
        }
        options.encoding = *encoding;
    } else if (option == "--ignore") {
        if (!validNick(value)) {
            return "not a nick: '" + std::string(value) + "'";
        }
        options.ignore.emplace_back(value);
    } else if (option == "--burst") {
        const auto burst = number(value, 1, 100);
        if (!burst) {
            return "--burst expects a number of lines from 1 to 100, got '" + std::string(value) +
                   "'";
        }
        options.pace.burst = *burst;
    } else if (option == "--send-interval") {
        const auto interval = number(value, 0, 60'000);
        if (!interval) {
            return "--send-interval expects milliseconds from 0 to 60000, got '" +
                   std::string(value) + "'";
        }
        options.pace.interval = std::chrono::milliseconds(*interval);
    } else if (option == "--workdir") {
        options.workdir = std::filesystem::path(value);
    }
    return std::nullopt;
}

} // namespace

// An option takes a value when its help shows one after it ("--nick NAME").
bool takesValue(std::string_view option) {
    if (option == "--workdir") {
        return true;
    }
    const auto& help = botOptionHelp();
    return std::any_of(help.begin(), help.end(), [&](const BotOptionHelp& entry) {
        return entry.words.starts_with(option) && entry.words.size() > option.size() &&
               entry.words[option.size()] == ' ';
    });
}

const std::vector<BotOptionHelp>& botOptionHelp() {
    static const std::vector<BotOptionHelp> help{
        {"--server HOST[:PORT]", "the IRC server (needed); port 6667, 6697 with --tls"},
        {"--tls", "connect with TLS, checking the server's certificate"},
        {"--tls-ca FILE", "trust the PEM certificates of FILE too (a private server)"},
        {"--nick NAME", "the bot's nick (besedka)"},
        {"--channel '#chan'", "a channel to join; again for more (quote the #)"},
        {"--password-file F", "send the first line of F as the server's password"},
        {"--encoding utf-8|cp1251", "what the bot sends in (utf-8); it reads both"},
        {"--ignore NICK", "never answer NICK, another bot; again for more"},
        {"--burst N", "lines sent at once before the pace holds (4)"},
        {"--send-interval MS", "milliseconds between lines after a burst (1000)"},
        {"WORKDIR", "the working directory, as for the chat (also --workdir DIR)"},
    };
    return help;
}

bool validNick(std::string_view nick) {
    if (nick.empty() || nick.size() > 30 || !(isLetter(nick.front()) || isSpecial(nick.front()))) {
        return false;
    }
    return std::all_of(nick.begin(), nick.end(), [](char c) {
        return isLetter(c) || isSpecial(c) || (c >= '0' && c <= '9') || c == '-';
    });
}

std::optional<std::string> parseBotOptions(const std::vector<std::string>& args,
                                           BotOptions& options) {
    const std::vector<std::string> list = words(args);
    bool tls = false;
    std::optional<std::string> server;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string& word = list[i];
        if (word == "--tls") {
            tls = true;
        } else if (word == "--server" && i + 1 < list.size()) {
            server = list[++i];
        } else if (takesValue(word)) {
            if (i + 1 >= list.size()) {
                return word + " needs a value" +
                       (word == "--channel" ? " (quote it: --channel '#chan')" : "");
            }
            if (auto problem = takeValue(word, list[++i], options)) {
                return problem;
            }
        } else if (word.starts_with("-")) {
            return "unknown option '" + word + "'";
        } else if (options.workdir) {
            return "one working directory only, got '" + word + "' too";
        } else {
            options.workdir = std::filesystem::path(word);
        }
    }
    if (!server) {
        return "--server HOST[:PORT] is needed";
    }
    // Read last, for the default port follows --tls wherever it stands.
    options.server = parseServerAddress(*server, tls || options.tlsCa);
    if (!options.server) {
        return "--server expects HOST[:PORT], got '" + *server + "'";
    }
    return std::nullopt;
}

std::optional<std::string> readPassword(const std::filesystem::path& file, std::string& password) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return "cannot read the password file " + file.string();
    }
    std::getline(in, password);
    if (!password.empty() && password.back() == '\r') {
        password.pop_back();
    }
    if (password.empty() || password.size() > kLongestPassword ||
        password.find('\0') != std::string::npos) {
        return "the password file " + file.string() +
               " holds no password on its first line (at most 400 bytes)";
    }
    return std::nullopt;
}

} // namespace besedka::irc

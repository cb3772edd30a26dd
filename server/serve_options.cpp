#include "serve_options.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace besedka::server {
namespace {

using Problem = std::optional<std::string>;

// A whole number from `lowest` to `highest`.
template <typename Number>
Problem number(std::string_view text, Number lowest, Number highest, Number& value) {
    Number parsed{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        parsed < lowest || parsed > highest) {
        return "expects a whole number from " + std::to_string(lowest) + " to " +
               std::to_string(highest) + ", got '" + std::string(text) + "'";
    }
    value = parsed;
    return std::nullopt;
}

Problem setListen(std::string_view value, ServeOptions& options) {
    const auto address = parseListenAddress(value);
    if (!address) {
        return "expects ADDR:PORT (127.0.0.1:8642, [::1]:8642), got '" + std::string(value) + "'";
    }
    options.listen = *address;
    return std::nullopt;
}

Problem setTokenFile(std::string_view value, ServeOptions& options) {
    options.tokenFile = std::filesystem::path(value);
    return std::nullopt;
}

Problem setTlsCert(std::string_view value, ServeOptions& options) {
    options.tlsCert = std::filesystem::path(value);
    return std::nullopt;
}

Problem setTlsKey(std::string_view value, ServeOptions& options) {
    options.tlsKey = std::filesystem::path(value);
    return std::nullopt;
}

Problem setIdleMinutes(std::string_view value, ServeOptions& options) {
    return number(value, 1, 7 * 24 * 60, options.idleMinutes);
}

Problem setMaxConversations(std::string_view value, ServeOptions& options) {
    return number<std::size_t>(value, 1, 1000000, options.maxConversations);
}

Problem setRate(std::string_view value, ServeOptions& options) {
    int rate = 0;
    auto problem = number(value, 0, 1000000, rate);
    options.ratePerSecond = rate;
    return problem;
}

Problem setMaxConnections(std::string_view value, ServeOptions& options) {
    return number<std::size_t>(value, 1, 4096, options.maxConnections);
}

Problem setWorkdir(std::string_view value, ServeOptions& options) {
    if (options.workdir) {
        return "makes two working directories: '" + options.workdir->string() + "' and '" +
               std::string(value) + "'";
    }
    options.workdir = std::filesystem::path(value);
    return std::nullopt;
}

constexpr std::string_view kOperand = "WORKDIR";

constexpr std::array<OptionEntry, 10> kOptions{{
    {"--listen", "ADDR:PORT",
     "where to accept connections (default 127.0.0.1:8642; port 0 takes a free "
     "port; IPv6 in brackets, [::1]:8642); any address but loopback needs "
     "--token-file",
     setListen},
    {"--token-file", "FILE",
     "ask every request but GET /v1/health for Authorization: Bearer TOKEN, TOKEN "
     "being the file's first line (16 characters at least)",
     setTokenFile},
    {"--tls-cert", "FILE", "serve HTTPS with this certificate (PEM); needs --tls-key", setTlsCert},
    {"--tls-key", "FILE", "the certificate's private key (PEM)", setTlsKey},
    {"--idle-minutes", "N",
     "end a conversation after N minutes without a message, its dialogue written "
     "to the log (default 30)",
     setIdleMinutes},
    {"--max-conversations", "N",
     "keep at most N conversations open (default 10000); a new one beyond gets 503",
     setMaxConversations},
    {"--rate", "N",
     "answer each client address at most N requests a second, in bursts of 2N "
     "(default 50; 0: no limit); the rest get 429",
     setRate},
    {"--max-connections", "N",
     "serve at most N connections at once (default 128); more wait to be accepted",
     setMaxConnections},
    {"--workdir", "DIR", "the working directory, as WORKDIR", setWorkdir},
    {kOperand, "",
     "the working directory; without it, the one the chat uses: the current "
     "directory when it holds Base, else ~/.local/share/besedka",
     setWorkdir},
}};

const OptionEntry* findOption(std::string_view name) {
    const auto found =
        std::find_if(kOptions.begin(), kOptions.end(),
                     [name](const OptionEntry& entry) { return entry.name == name; });
    return found == kOptions.end() || found->name == kOperand ? nullptr : &*found;
}

const OptionEntry& operand() {
    return kOptions.back();
}

// Checks what no single option can.
Problem combinationProblem(const ServeOptions& options) {
    if (options.tlsCert.has_value() != options.tlsKey.has_value()) {
        return std::string(options.tlsCert ? "--tls-cert needs --tls-key"
                                           : "--tls-key needs --tls-cert");
    }
    if (!options.tokenFile && !options.listen.isLoopback()) {
        return "listening on " + options.listen.host +
               " lets other machines in: give --token-file FILE (or listen on 127.0.0.1)";
    }
    return std::nullopt;
}

} // namespace

std::span<const OptionEntry> serveOptions() {
    return kOptions;
}

std::variant<ServeOptions, std::string> parseServeOptions(const std::vector<std::string>& args) {
    ServeOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string word = args[i];
        std::optional<std::string> value;
        const std::size_t equals = word.find('=');
        if (word.starts_with("--") && equals != std::string::npos) {
            value = word.substr(equals + 1);
            word.resize(equals);
        }
        const OptionEntry* option = word.starts_with("-") ? findOption(word) : &operand();
        if (option == nullptr) {
            return "unknown option '" + word + "'";
        }
        if (option == &operand()) {
            value = word;
        } else if (!value && i + 1 < args.size()) {
            value = args[++i];
        } else if (!value) {
            return word + " needs " + std::string(option->value);
        }
        if (const Problem problem = option->apply(*value, options)) {
            return (option == &operand() ? "" : word + " ") + *problem;
        }
    }
    if (const Problem problem = combinationProblem(options)) {
        return *problem;
    }
    return options;
}

} // namespace besedka::server

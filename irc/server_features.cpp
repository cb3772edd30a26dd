#include "irc/server_features.h"

#include "irc/message.h"

#include <charconv>

namespace besedka::irc {
namespace {

void readToken(std::string_view token, ServerFeatures& features) {
    const std::size_t equals = token.find('=');
    const std::string_view key = token.substr(0, equals);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : token.substr(equals + 1);
    if (key == "CASEMAPPING") {
        features.caseMapping = caseMappingNamed(value);
    } else if (key == "CHANTYPES") {
        features.channelTypes = value;
    } else if (key == "NICKLEN") {
        std::size_t length = 0;
        const auto [end, error] =
            std::from_chars(value.data(), value.data() + value.size(), length);
        if (error == std::errc() && end == value.data() + value.size() && length > 0) {
            features.nickLength = length;
        }
    } else if (key == "UTF8ONLY") {
        features.utf8Only = true;
    } else if (key == "-UTF8ONLY") {
        features.utf8Only = false;
    }
}

} // namespace

bool ServerFeatures::isChannel(std::string_view target) const {
    return !target.empty() && channelTypes.find(target.front()) != std::string::npos;
}

void readFeatures(const Message& reply, ServerFeatures& features) {
    if (reply.command != "005" || reply.params.size() < 2) {
        return;
    }
    // The first parameter is our nick, the last the human text.
    for (std::size_t i = 1; i + 1 < reply.params.size(); ++i) {
        readToken(reply.params[i], features);
    }
}

} // namespace besedka::irc

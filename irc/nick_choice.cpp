#include "irc/nick_choice.h"

#include <algorithm>

namespace besedka::irc {

std::string NickChoice::nextFallback(std::size_t maxLength) {
    ++attempts_;
    const std::string suffix =
        attempts_ <= 2 ? std::string(attempts_, '_') : std::to_string(attempts_ - 2);
    const std::size_t room = maxLength > suffix.size() ? maxLength - suffix.size() : 1;
    return wanted_.substr(0, std::min(room, wanted_.size())) + suffix;
}

} // namespace besedka::irc

#pragma once

#include <chrono>

namespace besedka::irc {

// The bot's time for rates and delays; passed in, so that tests set it.
using Instant = std::chrono::steady_clock::time_point;

} // namespace besedka::irc

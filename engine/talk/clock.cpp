#include "talk/clock.h"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string_view>

namespace besedka {
namespace {
constexpr std::uint32_t kMillisecondsPerDay = 24u * 60u * 60u * 1000u;
}

std::uint32_t SystemClock::millisecondsSinceMidnight() {
    using namespace std::chrono;
    const auto sinceEpoch = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(sinceEpoch.count() % kMillisecondsPerDay);
}

LocalDateTime SystemClock::localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::uint32_t FakeClock::millisecondsSinceMidnight() {
    const std::uint32_t value = now_;
    now_ = (now_ + 1) % kMillisecondsPerDay;
    ++reads_;
    return value;
}

LocalDateTime FakeClock::localNow() {
    // A fixed day; the time of day follows the fake milliseconds.
    const std::uint32_t seconds = now_ / 1000;
    return {2024,
            1,
            1,
            static_cast<int>(seconds / 3600),
            static_cast<int>(seconds / 60 % 60),
            static_cast<int>(seconds % 60)};
}

std::unique_ptr<Clock> clockFromEnvironment() {
    const char* value = std::getenv("BESEDKA_CLOCK");
    if (value != nullptr) {
        const std::string_view text(value);
        std::uint64_t ms = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), ms);
        if (error == std::errc() && end == text.data() + text.size() && !text.empty()) {
            return std::make_unique<FakeClock>(
                static_cast<std::uint32_t>(ms % kMillisecondsPerDay));
        }
    }
    return std::make_unique<SystemClock>();
}

} // namespace besedka

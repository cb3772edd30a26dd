#include "platform_choice.h"

namespace besedka {
namespace {

bool isSet(const char* value) {
    return value != nullptr && *value != '\0';
}

} // namespace

PlatformChoice choosePlatform(const char* qtPlatform, const char* waylandDisplay,
                              const char* display) {
    if (isSet(qtPlatform)) {
        return {};
    }
    if (!isSet(waylandDisplay)) {
        return {std::nullopt, false, !isSet(display)};
    }
    if (isSet(display)) {
        return {std::string("xcb"), false};
    }
    return {std::nullopt, true};
}

} // namespace besedka

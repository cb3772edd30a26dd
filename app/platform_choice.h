#pragma once

#include <optional>
#include <string>

namespace besedka {

// How the window reaches the screen. The window places itself by absolute
// screen positions (centred at start, shaken, drifted while closing), which a
// Wayland client cannot do; an X client of the desktop's X server can.
struct PlatformChoice {
    // The Qt platform the program sets, when it sets one.
    std::optional<std::string> platform;
    // The window runs as a Wayland client and cannot move itself.
    bool movesUnavailable = false;
    // Neither a display nor a platform is set: no window can open, and Qt
    // would abort trying.
    bool noDisplay = false;
};

// Decides from QT_QPA_PLATFORM, WAYLAND_DISPLAY and DISPLAY (null or empty:
// not set). A platform the user chose always wins.
PlatformChoice choosePlatform(const char* qtPlatform, const char* waylandDisplay,
                              const char* display);

} // namespace besedka

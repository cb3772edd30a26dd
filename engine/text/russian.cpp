#include "text/russian.h"

namespace besedka {

char cyrillicUpper(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0xE0) {
        return static_cast<char>(byte - 0x20);
    }
    if (byte == 0xB8) {
        return static_cast<char>(0xA8);
    }
    return c;
}

std::string cyrillicUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = cyrillicUpper(c);
    }
    return out;
}

char searchFolded(char c) {
    const char upper = cyrillicUpper(c);
    return upper == '\xA8' ? '\xC5' : upper; // Ё -> Е
}

std::string searchFolded(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = searchFolded(c);
    }
    return out;
}

} // namespace besedka

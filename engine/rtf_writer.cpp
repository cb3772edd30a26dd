#include "rtf.h"

namespace besedka {
namespace {

constexpr std::string_view header = "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
                                    "{\\fonttbl{\\f0\\fnil\\fcharset204 MS Sans Serif;}}\r\n"
                                    "\\viewkind4\\uc1\\pard\\f0\\fs16 ";

void appendEscaped(std::string& out, std::string_view line) {
    static constexpr char hex[] = "0123456789abcdef";
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\' || byte == '{' || byte == '}') {
            out += '\\';
            out += c;
        } else if (byte == '\t') {
            out += "\\tab ";
        } else if (byte >= 0x80 || byte < 0x20) {
            out += "\\'";
            out += hex[byte >> 4];
            out += hex[byte & 0x0F];
        } else {
            out += c;
        }
    }
}

} // namespace

std::string writeRtf(const std::vector<std::string>& lines) {
    std::string out(header);
    for (const auto& line : lines) {
        appendEscaped(out, line);
        out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}

} // namespace besedka

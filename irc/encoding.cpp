#include "irc/encoding.h"

#include "text/cp1251.h"

namespace besedka::irc {

std::optional<Encoding> encodingNamed(std::string_view name) {
    if (name == "utf-8" || name == "utf8" || name == "UTF-8") {
        return Encoding::Utf8;
    }
    if (name == "cp1251" || name == "windows-1251" || name == "CP1251") {
        return Encoding::Cp1251;
    }
    return std::nullopt;
}

std::string decodeReceived(std::string_view bytes) {
    if (!firstInvalidUtf8(bytes)) {
        return std::string(bytes);
    }
    return cp1251ToUtf8(bytes);
}

std::string encodeForSending(std::string_view text, Encoding encoding) {
    return encoding == Encoding::Utf8 ? std::string(text) : utf8ToCp1251(text);
}

std::size_t encodedSize(std::string_view text, Encoding encoding) {
    return encoding == Encoding::Utf8 ? text.size() : utf8ToCp1251(text).size();
}

} // namespace besedka::irc

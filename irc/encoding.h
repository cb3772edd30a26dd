#pragma once

// The bytes of a network: what the bot sends is in the encoding it was told,
// what it reads is UTF-8 when it is valid UTF-8 and Windows-1251 otherwise,
// for Russian networks carry both.

#include <optional>
#include <string>
#include <string_view>

namespace besedka::irc {

enum class Encoding { Utf8, Cp1251 };

// "utf-8" or "cp1251" (also "utf8", "windows-1251"); nothing for others.
std::optional<Encoding> encodingNamed(std::string_view name);

// A received line as UTF-8.
std::string decodeReceived(std::string_view bytes);

// UTF-8 `text` as bytes to send. In Windows-1251 a character the code page
// lacks becomes '?'.
std::string encodeForSending(std::string_view text, Encoding encoding);

// How many bytes `text` (UTF-8) takes once encoded.
std::size_t encodedSize(std::string_view text, Encoding encoding);

} // namespace besedka::irc

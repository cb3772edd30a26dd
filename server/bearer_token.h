#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace besedka::server {

// The token a --token-file holds: its first line, without surrounding
// blanks. Throws std::runtime_error naming the file when it cannot be read,
// is empty or holds a token shorter than 16 characters.
std::string readTokenFile(const std::filesystem::path& file);

// Whether an Authorization header value is "Bearer TOKEN" with this token.
// The time taken depends only on the token's length, never on how much of it
// a guess got right.
bool bearerMatches(std::string_view authorization, std::string_view token);

} // namespace besedka::server

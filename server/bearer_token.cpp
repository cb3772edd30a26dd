#include "bearer_token.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace besedka::server {
namespace {

constexpr std::size_t kShortestToken = 16;

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::string readTokenFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    if (!in || (!std::getline(in, line) && !in.eof())) {
        throw std::runtime_error("cannot read the token file " + file.string() + ": " +
                                 std::strerror(errno));
    }
    const std::string token(trimmed(line));
    if (token.size() < kShortestToken) {
        throw std::runtime_error("the token file " + file.string() +
                                 (token.empty()
                                      ? " is empty"
                                      : " holds a token shorter than " +
                                            std::to_string(kShortestToken) + " characters") +
                                 " (make one: head -c 32 /dev/urandom | base64 > FILE)");
    }
    return token;
}

bool bearerMatches(std::string_view authorization, std::string_view token) {
    constexpr std::string_view kScheme = "Bearer ";
    const bool schemeMatches = authorization.substr(0, kScheme.size()) == kScheme;
    const std::string_view given =
        schemeMatches ? authorization.substr(kScheme.size()) : std::string_view{};
    // Every byte of the token is compared whatever came before, and a given
    // token of another length differs in `difference` as well.
    unsigned difference = given.size() == token.size() ? 0U : 1U;
    for (std::size_t i = 0; i < token.size(); ++i) {
        const char other = i < given.size() ? given[i] : '\0';
        difference |= static_cast<unsigned>(static_cast<unsigned char>(token[i])) ^
                      static_cast<unsigned>(static_cast<unsigned char>(other));
    }
    return schemeMatches && difference == 0 && !token.empty();
}

} // namespace besedka::server

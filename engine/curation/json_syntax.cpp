#include "curation/json_syntax.h"

#include <algorithm>
#include <charconv>

namespace besedka {
namespace {

constexpr std::string_view kExpected = "; expected ";
constexpr std::string_view kUnexpected = "unexpected ";

// The number after the first `label` in `text`; 0 when there is none.
std::size_t numberAfter(std::string_view text, std::string_view label) {
    const std::size_t at = text.find(label);
    std::size_t number = 0;
    if (at != std::string_view::npos) {
        const std::string_view digits = text.substr(at + label.size());
        std::from_chars(digits.data(), digits.data() + digits.size(), number);
    }
    return number;
}

} // namespace

// A token the parser did not expect ends its message, "; expected" and all;
// what the reader could not read is followed by the bytes last read, which
// may hold anything ("; expected" too), and they are left out.
JsonSyntaxFault jsonSyntaxFault(std::string_view parserMessage) {
    JsonSyntaxFault fault;
    const std::size_t place = parserMessage.find("line ");
    std::string_view reason =
        place == std::string_view::npos
            ? parserMessage.substr(std::min(parserMessage.size(), parserMessage.find("] ") + 2))
            : parserMessage.substr(place);
    reason = reason.substr(0, reason.find("; last read"));
    fault.reason = std::string(reason);
    const std::string_view head = reason.substr(0, reason.find(':'));
    fault.line = numberAfter(head, "line ");
    fault.column = numberAfter(head, "column ");
    const std::size_t dash = reason.find(" - ");
    const std::string_view what = dash == std::string_view::npos ? "" : reason.substr(dash + 3);
    if (!what.starts_with(kUnexpected)) {
        fault.invalid = std::string(what);
        return fault;
    }
    const std::string_view token = what.substr(kUnexpected.size());
    const std::size_t expected = token.find(kExpected);
    fault.unexpected = std::string(token.substr(0, expected));
    if (expected != std::string_view::npos) {
        fault.expected = std::string(token.substr(expected + kExpected.size()));
    }
    return fault;
}

} // namespace besedka

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace besedka {

// Where and why the JSON parser stopped, taken apart from its message
// ("[json.exception.parse_error.101] parse error at line 1, column 5: syntax
// error while parsing value - unexpected '}'; expected '[', '{', or a
// literal"), so that each window can word it in its own language.
struct JsonSyntaxFault {
    std::size_t line = 0; // 0 when the message names none
    std::size_t column = 0;
    // The parser's name of the token it did not expect ("'}'", "end of
    // input", "string literal"); empty when the text held no token at all.
    std::string unexpected;
    // What the reader found instead of a token ("invalid string: missing
    // closing quote"); empty when a token was read.
    std::string invalid;
    // The parser's name of what it expected instead of `unexpected`; empty
    // when it named nothing.
    std::string expected;
    // The reason as the parser put it, without the bytes last read (which
    // may not be UTF-8): "line 1, column 5: syntax error ...".
    std::string reason;
};

JsonSyntaxFault jsonSyntaxFault(std::string_view parserMessage);

} // namespace besedka

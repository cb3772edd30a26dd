#pragma once

#include <QString>

#include <string>

namespace besedka {

// Why the JSON parser stopped, in Russian, from the parser's own terms (see
// JsonSyntaxFault): what the reader could not read, or the token it did not
// expect and the one it expected ("«}» там, где ожидалось значение").
QString jsonFaultText(const std::string& invalid, const std::string& unexpected,
                      const std::string& expected);

} // namespace besedka

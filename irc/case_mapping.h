#pragma once

// How a server compares nicks and channel names (CASEMAPPING in its 005
// reply): "Nick" and "nick" are one nick everywhere, and under rfc1459
// "[]\~" are the capitals of "{}|^".

#include <string>
#include <string_view>

namespace besedka::irc {

enum class CaseMapping { Ascii, Rfc1459, StrictRfc1459 };

// The mapping a server names; rfc1459, the protocol's default, for any other.
CaseMapping caseMappingNamed(std::string_view name);

std::string foldCase(std::string_view text, CaseMapping mapping);
bool sameName(std::string_view a, std::string_view b, CaseMapping mapping);

} // namespace besedka::irc

#pragma once

// What a server tells of itself in its 005 (ISUPPORT) replies, as far as the
// bot needs it.

#include "irc/case_mapping.h"

#include <cstddef>
#include <string>

namespace besedka::irc {

struct Message;

struct ServerFeatures {
    CaseMapping caseMapping = CaseMapping::Rfc1459;
    std::string channelTypes = "#&";
    std::size_t nickLength = 9; // the protocol's own limit until told otherwise
    bool utf8Only = false;      // the server takes nothing but UTF-8

    bool isChannel(std::string_view target) const;
};

// Takes what `reply` (a 005) says into `features`; other messages change nothing.
void readFeatures(const Message& reply, ServerFeatures& features);

} // namespace besedka::irc

#pragma once

// The JSON bodies of the API's answers, from what the hub gives.

#include "api_error.h"
#include "hub/turn.h"

#include <string>
#include <string_view>
#include <vector>

namespace besedka {
struct KnowledgeStats;
}

namespace besedka::server {

// The API's error for a turn that gave no reply.
ApiError turnError(const TurnError& error);

// {"conversation", "shown", "reply", "learned", "ended"} and, when asked,
// "trace".
std::string turnBody(const TurnOutcome& outcome, bool withTrace);

// {"conversation", "lines": [...]}
std::string transcriptBody(std::string_view conversation, const std::vector<std::string>& lines);

// {"conversation", "ended": true}
std::string endedBody(std::string_view conversation);

// The figures of kb stats under the names of its rows.
std::string statsBody(const KnowledgeStats& stats);

} // namespace besedka::server

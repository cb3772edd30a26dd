#pragma once

#include "api_catalogue.h"

#include <string>

namespace besedka::server {

// An answer that is an error: its code (and through it the status) and a
// sentence for the person reading it.
struct ApiError {
    ErrorCode code = ErrorCode::Internal;
    std::string message;
};

// {"error": {"code": "...", "message": "..."}}
std::string errorBody(const ApiError& error);

} // namespace besedka::server

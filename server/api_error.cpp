#include "api_error.h"

#include <nlohmann/json.hpp>

namespace besedka::server {

std::string errorBody(const ApiError& error) {
    const nlohmann::json body{
        {"error", {{"code", errorEntry(error.code).name}, {"message", error.message}}}};
    // A message quoting what a client sent may hold broken UTF-8: replaced,
    // never thrown.
    return body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

} // namespace besedka::server

#pragma once

#include "api_catalogue.h"

#include <string>
#include <string_view>

namespace besedka::server {

// Which route a request's method and path name.
struct RouteMatch {
    const Route* route = nullptr; // none: see allow
    std::string id;               // what stood for {id}, unchecked
    // When the path is a route's but not the method: the methods it takes,
    // as the Allow header lists them ("GET, HEAD, DELETE"); else empty.
    std::string allow;
};

// HEAD is taken where GET is.
RouteMatch matchRoute(std::string_view method, std::string_view path);

} // namespace besedka::server

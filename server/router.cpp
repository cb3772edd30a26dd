#include "router.h"

namespace besedka::server {
namespace {

constexpr std::string_view kIdSegment = "{id}";

// Whether `path` has the shape of `pattern`; the segment standing for {id}
// goes to `id`. An empty segment never stands for it.
bool pathMatches(std::string_view pattern, std::string_view path, std::string& id) {
    while (!pattern.empty() && !path.empty()) {
        const std::size_t patternEnd = std::min(pattern.find('/', 1), pattern.size());
        const std::size_t pathEnd = std::min(path.find('/', 1), path.size());
        const std::string_view want = pattern.substr(0, patternEnd);
        const std::string_view have = path.substr(0, pathEnd);
        if (want == std::string("/").append(kIdSegment)) {
            if (have.size() < 2) {
                return false;
            }
            id = have.substr(1);
        } else if (want != have) {
            return false;
        }
        pattern.remove_prefix(patternEnd);
        path.remove_prefix(pathEnd);
    }
    return pattern.empty() && path.empty();
}

} // namespace

RouteMatch matchRoute(std::string_view method, std::string_view path) {
    const std::string_view asked = method == "HEAD" ? "GET" : method;
    RouteMatch match;
    for (const Route& route : routes()) {
        std::string id;
        if (!pathMatches(route.path, path, id)) {
            continue;
        }
        if (route.method == asked) {
            match.route = &route;
            match.id = std::move(id);
            match.allow.clear();
            return match;
        }
        match.allow += match.allow.empty() ? "" : ", ";
        match.allow += route.method;
        if (route.method == "GET") {
            match.allow += ", HEAD";
        }
    }
    return match;
}

} // namespace besedka::server

// The API's description, manual page and README say what the server's own
// tables declare: every route with every status it may answer, every error
// code, every option.
#include "server/api_catalogue.h"
#include "server/serve_options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

namespace besedka::server {
namespace {

std::string sourceFile(const std::string& relative) {
    std::ifstream in(std::string(BESEDKA_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string lowercase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// The lines of a YAML block: from the line `header` (at its indentation)
// to the next line indented as little or less.
std::string block(const std::string& yaml, const std::string& header, std::size_t from = 0) {
    const std::size_t start = yaml.find("\n" + header + "\n", from);
    if (start == std::string::npos) {
        return {};
    }
    const std::size_t indent = header.find_first_not_of(' ');
    std::size_t end = start + header.size() + 2;
    while (end < yaml.size()) {
        const std::size_t lineEnd = std::min(yaml.find('\n', end), yaml.size());
        const std::string line = yaml.substr(end, lineEnd - end);
        if (!line.empty() && line.find_first_not_of(' ') <= indent) {
            break;
        }
        end = lineEnd + 1;
    }
    return yaml.substr(start, end - start);
}

std::set<int> statusesOf(const Route& route) {
    std::set<int> statuses{200};
    for (const ErrorCode code : route.errors) {
        statuses.insert(errorEntry(code).status);
    }
    for (const ErrorCode code : commonErrors()) {
        if (code != ErrorCode::Unauthorized || route.needsToken) {
            statuses.insert(errorEntry(code).status);
        }
    }
    return statuses;
}

TEST(ApiCatalogue, OpenApiHasEveryRouteWithItsStatuses) {
    const std::string yaml = sourceFile("docs/api/openapi.yaml");
    ASSERT_NE(yaml.find("openapi: 3."), std::string::npos);
    for (const Route& route : routes()) {
        const std::string path = block(yaml, "  " + std::string(route.path) + ":");
        ASSERT_FALSE(path.empty()) << route.path;
        const std::string operation = block(path, "    " + lowercase(route.method) + ":");
        ASSERT_FALSE(operation.empty()) << route.method << ' ' << route.path;
        for (const int status : statusesOf(route)) {
            EXPECT_NE(operation.find("'" + std::to_string(status) + "':"), std::string::npos)
                << route.method << ' ' << route.path << " lacks " << status;
        }
        EXPECT_EQ(operation.find("security: []") == std::string::npos, route.needsToken)
            << route.path;
    }
}

TEST(ApiCatalogue, OpenApiAndManualPageNameEveryErrorCode) {
    const std::string yaml = sourceFile("docs/api/openapi.yaml");
    const std::string manual = sourceFile("packaging/besedka.h2m");
    const std::string codes = block(yaml, "              enum:");
    for (const ErrorEntry& error : errorEntries()) {
        EXPECT_NE(codes.find("- " + std::string(error.name) + "\n"), std::string::npos)
            << error.name;
        EXPECT_NE(manual.find(error.name), std::string::npos) << error.name;
    }
}

TEST(ApiCatalogue, ManualPageAndReadmeNameEveryRouteAndOption) {
    const std::string manual = sourceFile("packaging/besedka.h2m");
    const std::string readme = sourceFile("README.md");
    for (const Route& route : routes()) {
        const std::string call = std::string(route.method) + " " + std::string(route.path);
        EXPECT_NE(manual.find(call), std::string::npos) << call;
        // A curl example of each call.
        std::string example = std::string(route.path);
        example = example.substr(0, example.find("{id}"));
        bool found = false;
        for (std::size_t at = readme.find("curl"); at != std::string::npos && !found;
             at = readme.find("curl", at + 1)) {
            std::size_t end = readme.find('\n', at);
            while (end != std::string::npos && readme[end - 1] == '\\') {
                end = readme.find('\n', end + 1); // a command continued on the next line
            }
            const std::string line = readme.substr(at, end - at);
            const bool methodSaid =
                route.method == "GET" ? line.find("-X ") == std::string::npos
                : route.method == "POST"
                    ? line.find("-d ") != std::string::npos
                    : line.find("-X " + std::string(route.method)) != std::string::npos;
            found = methodSaid && line.find(":8642" + example) != std::string::npos;
        }
        EXPECT_TRUE(found) << "README has no curl example of " << call;
    }
    for (const OptionEntry& option : serveOptions()) {
        if (option.name.starts_with("--") && option.name != "--workdir") {
            std::string escaped;
            for (const char c : option.name) {
                escaped += c == '-' ? std::string("\\-") : std::string(1, c);
            }
            EXPECT_NE(manual.find(escaped), std::string::npos) << option.name;
        }
    }
}

TEST(ApiCatalogue, EveryCodeHasOneEntryAndAnErrorStatus) {
    std::set<std::string_view> names;
    for (const ErrorEntry& error : errorEntries()) {
        EXPECT_TRUE(names.insert(error.name).second) << error.name;
        EXPECT_GE(error.status, 400);
        EXPECT_EQ(&errorEntry(error.code), &error);
        EXPECT_EQ(error.retryAfterSeconds > 0, error.status == 429 || error.status == 503)
            << error.name;
    }
}

} // namespace
} // namespace besedka::server

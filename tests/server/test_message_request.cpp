// The checks a message passes before it reaches the hub: content type, body,
// conversation id, and the route a path names.
#include "server/message_request.h"
#include "server/router.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace besedka::server {
namespace {

ErrorCode refusal(std::string_view contentType, std::string_view body) {
    const auto parsed = parseMessageRequest(contentType, body);
    const auto* error = std::get_if<ApiError>(&parsed);
    return error != nullptr ? error->code : ErrorCode::Internal;
}

MessageRequest accepted(std::string_view body) {
    const auto parsed = parseMessageRequest("application/json", body);
    if (const auto* error = std::get_if<ApiError>(&parsed)) {
        ADD_FAILURE() << "refused: " << error->message;
        return {};
    }
    return std::get<MessageRequest>(parsed);
}

TEST(MessageRequest, TakesJsonInUtf8Only) {
    for (const char* type :
         {"application/json", "Application/JSON", "application/json; charset=utf-8",
          "application/json;charset=\"UTF-8\"", " application/json ;  foo=bar"}) {
        EXPECT_FALSE(contentTypeProblem(type)) << type;
    }
    for (const char* type :
         {"", "text/plain", "application/json-patch+json", "application/json; charset=windows-1251",
          "application/x-www-form-urlencoded", "multipart/form-data; boundary=x"}) {
        const auto problem = contentTypeProblem(type);
        ASSERT_TRUE(problem) << type;
        EXPECT_EQ(problem->code, ErrorCode::UnsupportedMediaType);
        EXPECT_EQ(errorEntry(problem->code).status, 415);
    }
}

TEST(MessageRequest, ReadsTextAndTrace) {
    EXPECT_EQ(accepted(R"({"text": "Привет"})").text, "Привет");
    EXPECT_FALSE(accepted(R"({"text": "Привет"})").trace);
    EXPECT_TRUE(accepted(R"({"trace": true, "text": ""})").trace);
    // An empty text is the hub's to refuse (422), not a malformed body.
    EXPECT_EQ(accepted(R"({"text": ""})").text, "");
    EXPECT_EQ(accepted(R"({"text": "\u00e9\ud83d\ude00"})").text, "é😀");
}

TEST(MessageRequest, RefusesWhatIsNotAMessage) {
    EXPECT_EQ(refusal("text/plain", R"({"text": "a"})"), ErrorCode::UnsupportedMediaType);
    for (const char* body : {"", "{", "{\"text\": \"a\"", "nul", "{\"text\": \"\xff\"}",
                             "{\"text\": \"a\"} trailing"}) {
        EXPECT_EQ(refusal("application/json", body), ErrorCode::BadJson) << body;
    }
    for (const char* body : {"[]", "\"text\"", "42", "null"}) {
        EXPECT_EQ(refusal("application/json", body), ErrorCode::BadJson) << body;
    }
    for (const char* body : {"{}", R"({"text": 1})", R"({"text": null})", R"({"text": ["a"]})",
                             R"({"text": "a", "trace": "yes"})", R"({"text": "a", "txt": "b"})",
                             R"({"message": "a"})"}) {
        EXPECT_EQ(refusal("application/json", body), ErrorCode::BadField) << body;
    }
}

TEST(MessageRequest, ErrorBodiesNameTheirCode) {
    const auto parsed = parseMessageRequest("application/json", R"({"txt": "a"})");
    const auto body = nlohmann::json::parse(errorBody(std::get<ApiError>(parsed)));
    EXPECT_EQ(body["error"]["code"], "bad_field");
    EXPECT_NE(body["error"]["message"].get<std::string>().find("txt"), std::string::npos);
    // What a client sent may be broken UTF-8; the body stays JSON.
    const auto broken = conversationIdProblem("a\xff");
    ASSERT_TRUE(broken);
    EXPECT_FALSE(nlohmann::json::parse(errorBody(*broken), nullptr, false).is_discarded());
}

TEST(MessageRequest, ConversationIds) {
    for (const std::string& id :
         std::vector<std::string>{"a", "Anna.K_1-2", std::string(64, 'x')}) {
        EXPECT_FALSE(conversationIdProblem(id)) << id;
    }
    for (const std::string& id : std::vector<std::string>{
             "", "a b", "a/b", "анна", std::string(65, 'x'), "a%2Fb", std::string("a\0b", 3)}) {
        const auto problem = conversationIdProblem(id);
        ASSERT_TRUE(problem) << id;
        EXPECT_EQ(problem->code, ErrorCode::BadConversationId);
    }
}

TEST(Router, NamesRoutesAndWhatTheyTake) {
    const RouteMatch say = matchRoute("POST", "/v1/conversations/anna/messages");
    ASSERT_NE(say.route, nullptr);
    EXPECT_EQ(say.route->endpoint, Endpoint::Say);
    EXPECT_EQ(say.id, "anna");
    const RouteMatch head = matchRoute("HEAD", "/v1/health");
    ASSERT_NE(head.route, nullptr);
    EXPECT_EQ(head.route->endpoint, Endpoint::Health);

    const RouteMatch put = matchRoute("PUT", "/v1/conversations/anna");
    EXPECT_EQ(put.route, nullptr);
    EXPECT_EQ(put.allow, "GET, HEAD, DELETE");
    EXPECT_EQ(matchRoute("GET", "/v1/conversations/anna/messages").allow, "POST");

    for (const char* path : {"/", "/v1", "/v1/conversations", "/v1/conversations/", "/v1/health/",
                             "/v1/conversations//messages", "/v1/conversations/a/b/messages",
                             "/metrics/x", "v1/health"}) {
        const RouteMatch none = matchRoute("GET", path);
        EXPECT_EQ(none.route, nullptr) << path;
        EXPECT_EQ(none.allow, "") << path;
    }
}

} // namespace
} // namespace besedka::server

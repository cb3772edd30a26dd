// The API over real HTTP on loopback: each bad request gets its status and
// error code and changes nothing; a conversation opens, answers, shows its
// transcript and ends; the token and the rate limit guard it.
#include "served_workdir.h"
#include "text/cp1251.h"

#include <nlohmann/json.hpp>

namespace besedka::test {
namespace {

using nlohmann::json;

constexpr const char* kJson = "application/json";

std::string say(std::string_view text) {
    return json{{"text", text}}.dump();
}

// The code of an error answer, after checking that it is one.
std::string codeOf(const httplib::Result& result) {
    if (!result) {
        return "no answer: " + httplib::to_string(result.error());
    }
    const auto body = json::parse(result->body, nullptr, false);
    if (body.is_discarded() || !body.contains("error") || result->status < 400 ||
        result->get_header_value("Content-Type") != kJson) {
        return "not an error body: " + result->body;
    }
    EXPECT_TRUE(body["error"]["message"].is_string());
    return body["error"]["code"];
}

class ApiServerTest : public ServedWorkdir {};

TEST_F(ApiServerTest, BadRequestsGetTheirStatusAndWriteNothing) {
    serve();
    const auto before = baseFiles();
    httplib::Client http = client();
    const std::string messages = "/v1/conversations/anna/messages";
    struct Case {
        httplib::Result result;
        int status;
        std::string code;
    };
    std::vector<Case> cases;
    cases.push_back({http.Post(messages, "{\"text\": ", kJson), 400, "bad_json"});
    cases.push_back({http.Post(messages, "[\"Привет\"]", kJson), 400, "bad_json"});
    cases.push_back({http.Post(messages, R"({"text": 5})", kJson), 400, "bad_field"});
    cases.push_back({http.Post(messages, R"({"text": "a", "mood": 1})", kJson), 400, "bad_field"});
    cases.push_back({http.Post("/v1/conversations/a%20b/messages", say("a"), kJson), 400,
                     "bad_conversation_id"});
    cases.push_back(
        {http.Post("/v1/conversations/" + std::string(65, 'x') + "/messages", say("a"), kJson), 400,
         "bad_conversation_id"});
    cases.push_back({http.Get("/v1/conversations/%D0%B0"), 400, "bad_conversation_id"});
    cases.push_back(
        {http.Post(messages, say(std::string(70'000, 'a')), kJson), 413, "body_too_large"});
    cases.push_back({http.Post(messages, say("a"), "text/plain"), 415, "unsupported_media_type"});
    cases.push_back({http.Post(messages, say("a"), "application/json; charset=koi8-r"), 415,
                     "unsupported_media_type"});
    cases.push_back({http.Post(messages, say(""), kJson), 422, "nothing_to_say"});
    cases.push_back({http.Post(messages, say("😀🎉"), kJson), 422, "nothing_to_say"});
    cases.push_back({http.Post(messages, say("а^б"), kJson), 422, "reserved_characters"});
    cases.push_back({http.Post(messages, say("a;b"), kJson), 422, "reserved_characters"});
    cases.push_back({http.Get("/v1/nothing"), 404, "not_found"});
    cases.push_back({http.Get("/v1/conversations/nobody"), 404, "no_conversation"});
    cases.push_back({http.Delete("/v1/conversations/nobody"), 404, "no_conversation"});
    cases.push_back(
        {http.Put("/v1/conversations/anna", say("a"), kJson), 405, "method_not_allowed"});
    cases.push_back({http.Get(messages), 405, "method_not_allowed"});
    cases.push_back({http.Post("/v1/health", say("a"), kJson), 405, "method_not_allowed"});
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        ASSERT_TRUE(c.result) << "case " << i;
        EXPECT_EQ(c.result->status, c.status) << "case " << i << ": " << c.result->body;
        EXPECT_EQ(codeOf(c.result), c.code) << "case " << i;
    }
    EXPECT_EQ(cases[17].result->get_header_value("Allow"), "GET, HEAD, DELETE");
    EXPECT_EQ(cases[18].result->get_header_value("Allow"), "POST");
    // None of them opened a conversation or wrote a byte.
    EXPECT_EQ(codeOf(http.Get("/v1/conversations/anna")), "no_conversation");
    EXPECT_EQ(baseFiles(), before);
}

TEST_F(ApiServerTest, AConversationAnswersShowsItsTranscriptAndEnds) {
    serve();
    httplib::Client http = client();
    const auto log = [this] { return baseFiles()["Log.Halden"]; };
    const std::string logBefore = log();

    const auto first = http.Post("/v1/conversations/anna/messages", say("Привет"), kJson);
    ASSERT_TRUE(first);
    ASSERT_EQ(first->status, 200) << first->body;
    const json turn = json::parse(first->body);
    EXPECT_EQ(turn["conversation"], "anna");
    EXPECT_EQ(turn["shown"].get<std::string>().rfind("Привет", 0), 0U) << turn["shown"];
    EXPECT_FALSE(turn["reply"].get<std::string>().empty());
    EXPECT_TRUE(turn["learned"].is_boolean());
    EXPECT_EQ(turn["ended"], false);
    EXPECT_FALSE(turn.contains("trace"));

    const auto traced = http.Post("/v1/conversations/anna/messages",
                                  R"({"text": "Как дела?", "trace": true})", kJson);
    ASSERT_TRUE(traced);
    ASSERT_EQ(traced->status, 200) << traced->body;
    EXPECT_TRUE(json::parse(traced->body)["trace"].is_array());

    const auto transcript = http.Get("/v1/conversations/anna");
    ASSERT_TRUE(transcript);
    ASSERT_EQ(transcript->status, 200);
    const json lines = json::parse(transcript->body)["lines"];
    ASSERT_GE(lines.size(), 4U);
    EXPECT_NE(lines.dump().find("Привет"), std::string::npos);
    EXPECT_EQ(log(), logBefore) << "the log is written when the conversation ends";

    const auto ended = http.Delete("/v1/conversations/anna");
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->status, 200);
    EXPECT_EQ(json::parse(ended->body), (json{{"conversation", "anna"}, {"ended", true}}));
    EXPECT_NE(log(), logBefore);
    EXPECT_NE(log().find(utf8ToCp1251("Привет")), std::string::npos);
    EXPECT_EQ(codeOf(http.Get("/v1/conversations/anna")), "no_conversation");
}

TEST_F(ApiServerTest, AFarewellEndsTheConversation) {
    serve();
    httplib::Client http = client();
    ASSERT_EQ(http.Post("/v1/conversations/b/messages", say("Привет"), kJson)->status, 200);
    const auto farewell = http.Post("/v1/conversations/b/messages", say("пока"), kJson);
    ASSERT_TRUE(farewell);
    ASSERT_EQ(farewell->status, 200);
    EXPECT_EQ(json::parse(farewell->body)["ended"], true);
    EXPECT_EQ(codeOf(http.Get("/v1/conversations/b")), "no_conversation");
    // The same id starts afresh.
    ASSERT_EQ(http.Post("/v1/conversations/b/messages", say("Привет"), kJson)->status, 200);
    EXPECT_EQ(http.Get("/v1/conversations/b")->status, 200);
}

TEST_F(ApiServerTest, TheTokenGuardsAllButHealth) {
    server::ApiSettings settings;
    settings.token = "0123456789abcdef";
    serve(settings);
    httplib::Client http = client();
    const auto bare = http.Get("/v1/stats");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->status, 401);
    EXPECT_EQ(bare->get_header_value("WWW-Authenticate"), "Bearer");
    EXPECT_EQ(codeOf(bare), "unauthorized");
    EXPECT_EQ(http.Get("/v1/health")->status, 200);
    EXPECT_EQ(http.Get("/v1/nothing")->status, 401) << "no route is told to a stranger";

    const auto before = baseFiles();
    http.set_bearer_token_auth("0123456789abcdeX");
    EXPECT_EQ(http.Post("/v1/conversations/a/messages", say("Привет"), kJson)->status, 401);
    EXPECT_EQ(baseFiles(), before);
    http.set_bearer_token_auth("0123456789abcdef");
    EXPECT_EQ(http.Get("/v1/stats")->status, 200);
    EXPECT_EQ(http.Post("/v1/conversations/a/messages", say("Привет"), kJson)->status, 200);
}

TEST_F(ApiServerTest, AFloodGets429WithRetryAfter) {
    server::ApiSettings settings;
    settings.ratePerSecond = 1;
    serve(settings);
    httplib::Client http = client();
    int refused = 0;
    for (int i = 0; i < 10; ++i) {
        const auto result = http.Get("/v1/health");
        ASSERT_TRUE(result);
        if (result->status == 429) {
            ++refused;
            EXPECT_EQ(result->get_header_value("Retry-After"), "1");
            EXPECT_EQ(codeOf(result), "too_many_requests");
        }
    }
    EXPECT_GE(refused, 7); // a burst of 2, a token a second
    // A refused request's body is never read as the next request.
    const auto refusedBody = http.Post("/v1/conversations/a/messages",
                                       "GET /v1/health HTTP/1.1\r\nHost: x\r\n\r\n", kJson);
    ASSERT_TRUE(refusedBody);
    EXPECT_EQ(refusedBody->status, 429);
    EXPECT_EQ(refusedBody->get_header_value("Connection"), "close");
}

TEST_F(ApiServerTest, StatsAndMetricsTellWhatHappened) {
    serve();
    httplib::Client http = client();
    ASSERT_EQ(http.Post("/v1/conversations/a/messages", say("Привет"), kJson)->status, 200);
    ASSERT_EQ(http.Post("/v1/conversations/a/messages", say(""), kJson)->status, 422);

    const auto stats = http.Get("/v1/stats");
    ASSERT_TRUE(stats);
    ASSERT_EQ(stats->status, 200);
    const json figures = json::parse(stats->body);
    const KnowledgeStats expected = knowledgeStats(files());
    EXPECT_EQ(figures["tree_lines"], expected.tree.lines);
    EXPECT_EQ(figures["answers"], expected.tree.answers);
    EXPECT_EQ(figures["file_sizes"]["Base\\Words.Dat"], expected.fileBytes.front().value.value());

    const auto metrics = http.Get("/metrics");
    ASSERT_TRUE(metrics);
    ASSERT_EQ(metrics->status, 200);
    EXPECT_EQ(metrics->get_header_value("Content-Type"),
              "text/plain; version=0.0.4; charset=utf-8");
    for (const char* line :
         {"besedka_open_conversations 1\n", "besedka_message_duration_seconds_count 2\n",
          "besedka_http_responses_total{code=\"422\"} 1\n", "besedka_failed_turns_total 1\n"}) {
        EXPECT_NE(metrics->body.find(line), std::string::npos) << line << metrics->body;
    }
}

TEST_F(ApiServerTest, ASecondServerCannotTakeThePort) {
    serve();
    FileStore files{PathMap(workdir())};
    FakeClock clock(0);
    ConversationHub hub(files, clock);
    HubThread thread(hub);
    server::ApiServer second(thread, {});
    try {
        (void)second.bind({"127.0.0.1", port()});
        ADD_FAILURE() << "bound a port in use";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("Address already in use"), std::string::npos)
            << error.what();
    }
    thread.stop();
}

} // namespace
} // namespace besedka::test

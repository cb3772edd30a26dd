// What `besedka serve` takes from its command line, and the small parts of
// its guard: the listen address, the token, the rate limit, the metrics.
#include "server/bearer_token.h"
#include "server/metrics.h"
#include "server/rate_limiter.h"
#include "server/serve_options.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace besedka::server {
namespace {

ServeOptions parsed(const std::vector<std::string>& args) {
    auto result = parseServeOptions(args);
    if (const auto* problem = std::get_if<std::string>(&result)) {
        ADD_FAILURE() << *problem;
        return {};
    }
    return std::get<ServeOptions>(result);
}

std::string refusal(const std::vector<std::string>& args) {
    auto result = parseServeOptions(args);
    const auto* problem = std::get_if<std::string>(&result);
    return problem != nullptr ? *problem : "accepted";
}

TEST(ServeOptions, DefaultsAreLoopbackAndTheIssuesLimits) {
    const ServeOptions options = parsed({});
    EXPECT_EQ(options.listen.withPort(options.listen.port), "127.0.0.1:8642");
    EXPECT_EQ(options.idleMinutes, 30);
    EXPECT_EQ(options.maxConversations, 10000U);
    EXPECT_FALSE(options.tokenFile);
    EXPECT_FALSE(options.workdir);
}

TEST(ServeOptions, ReadsBothFormsAndTheWorkdir) {
    const ServeOptions options =
        parsed({"--listen=127.0.0.1:0", "--idle-minutes", "5", "--max-conversations=7", "--rate",
                "0", "--max-connections", "9", "/srv/besedka"});
    EXPECT_EQ(options.listen.port, 0);
    EXPECT_EQ(options.idleMinutes, 5);
    EXPECT_EQ(options.maxConversations, 7U);
    EXPECT_EQ(options.ratePerSecond, 0);
    EXPECT_EQ(options.maxConnections, 9U);
    EXPECT_EQ(options.workdir, "/srv/besedka");
    EXPECT_EQ(parsed({"--workdir", "/a"}).workdir, "/a");
    EXPECT_EQ(parsed({"--listen", "[::1]:80"}).listen.host, "::1");
}

TEST(ServeOptions, RefusesWithOneLineNamingTheFault) {
    EXPECT_EQ(refusal({"--bogus"}), "unknown option '--bogus'");
    EXPECT_EQ(refusal({"--listen"}), "--listen needs ADDR:PORT");
    EXPECT_NE(refusal({"--listen", "8642"}).find("expects ADDR:PORT"), std::string::npos);
    for (const char* listen : {"127.0.0.1:", "127.0.0.1:65536", "127.0.0.1:-1", "::1:80", "[::1]",
                               "[nonsense]:80", "127.0.0.1:80x"}) {
        EXPECT_NE(refusal({"--listen", listen}), "accepted") << listen;
    }
    EXPECT_NE(refusal({"--idle-minutes", "0"}).find("from 1 to"), std::string::npos);
    EXPECT_NE(refusal({"--max-conversations", "many"}), "accepted");
    EXPECT_NE(refusal({"--rate", "-1"}), "accepted");
    EXPECT_NE(refusal({"a", "b"}).find("two working directories"), std::string::npos);
    EXPECT_EQ(refusal({"--tls-cert", "c.pem"}), "--tls-cert needs --tls-key");
    EXPECT_EQ(refusal({"--tls-key", "k.pem"}), "--tls-key needs --tls-cert");
}

TEST(ServeOptions, OnlyLoopbackGoesWithoutAToken) {
    for (const char* listen : {"127.0.0.1:1", "127.9.9.9:1", "localhost:1", "[::1]:1"}) {
        EXPECT_EQ(refusal({"--listen", listen}), "accepted") << listen;
    }
    for (const char* listen : {"0.0.0.0:8642", "192.168.1.5:80", "[::]:80", "example.org:80"}) {
        EXPECT_NE(refusal({"--listen", listen}).find("give --token-file"), std::string::npos)
            << listen;
        EXPECT_EQ(refusal({"--listen", listen, "--token-file", "t"}), "accepted") << listen;
    }
}

TEST(BearerToken, ComparesTheWholeToken) {
    const std::string token = "0123456789abcdef";
    EXPECT_TRUE(bearerMatches("Bearer 0123456789abcdef", token));
    for (const char* header :
         {"", "Bearer", "Bearer ", "bearer 0123456789abcdef", "Basic 0123456789abcdef",
          "Bearer 0123456789abcdeF", "Bearer 0123456789abcde", "Bearer 0123456789abcdef0",
          "Bearer  0123456789abcdef", "0123456789abcdef"}) {
        EXPECT_FALSE(bearerMatches(header, token)) << header;
    }
    EXPECT_FALSE(bearerMatches("Bearer ", ""));
}

TEST(BearerToken, ReadsTheFirstLineOfItsFile) {
    test::TempDir dir;
    const auto file = dir.path() / "token";
    std::ofstream(file) << "  0123456789abcdef\r\nsecond line\n";
    EXPECT_EQ(readTokenFile(file), "0123456789abcdef");
    std::ofstream(file, std::ios::trunc) << "short\n";
    EXPECT_THROW((void)readTokenFile(file), std::runtime_error);
    std::ofstream(file, std::ios::trunc) << "";
    EXPECT_THROW((void)readTokenFile(file), std::runtime_error);
    EXPECT_THROW((void)readTokenFile(dir.path() / "missing"), std::runtime_error);
    EXPECT_THROW((void)readTokenFile(dir.path()), std::runtime_error);
}

TEST(RateLimiter, EachAddressHasItsOwnBucket) {
    RateLimiter limiter(10, 20);
    const auto start = RateLimiter::Clock::now();
    int allowed = 0;
    for (int i = 0; i < 100; ++i) {
        allowed += limiter.allow("10.0.0.1", start) ? 1 : 0;
    }
    EXPECT_EQ(allowed, 20); // the burst, then nothing
    EXPECT_TRUE(limiter.allow("10.0.0.2", start)) << "another client is not slowed";
    EXPECT_FALSE(limiter.allow("10.0.0.1", start + std::chrono::milliseconds(50)));
    EXPECT_TRUE(limiter.allow("10.0.0.1", start + std::chrono::milliseconds(100)))
        << "a token a tenth of a second";
    EXPECT_FALSE(limiter.allow("10.0.0.1", start + std::chrono::milliseconds(100)));

    RateLimiter unlimited(0, 0);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(unlimited.allow("10.0.0.1", start));
    }
}

TEST(RateLimiter, ForgetsAddressesWhoseBucketsRefilled) {
    RateLimiter limiter(10, 20);
    const auto start = RateLimiter::Clock::now();
    for (int i = 0; i < 50000; ++i) {
        limiter.allow("10.1." + std::to_string(i / 256) + "." + std::to_string(i % 256),
                      start + std::chrono::milliseconds(i * 10));
    }
    EXPECT_LT(limiter.trackedAddresses(), 5000U);
}

TEST(Metrics, HistogramIsCumulativeAndTextNamesEveryFigure) {
    LatencyHistogram latency;
    latency.record(std::chrono::microseconds(300));
    latency.record(std::chrono::milliseconds(7));
    latency.record(std::chrono::seconds(30));
    const auto shot = latency.snapshot();
    EXPECT_EQ(shot.atMost.front(), 1U);
    EXPECT_EQ(shot.atMost[4], 2U); // <= 10 ms
    EXPECT_EQ(shot.atMost.back(), 2U);
    EXPECT_EQ(shot.count, 3U);
    EXPECT_NEAR(shot.sumSeconds, 30.0073, 1e-6);

    StatusCounts statuses;
    statuses.record(200);
    statuses.record(429);
    statuses.record(429);
    HubCounters hub;
    hub.turns = 11;
    hub.learnedTurns = 4;
    hub.commits = 2;
    hub.batches = 3;
    hub.batchedTurns = 11;
    const std::string text = metricsText(hub, 5, {latency, statuses});
    for (const char* line : {"besedka_turns_total 11\n", "besedka_learned_turns_total 4\n",
                             "besedka_commits_total 2\n", "besedka_batch_size_sum 11\n",
                             "besedka_batch_size_count 3\n", "besedka_open_conversations 5\n",
                             "besedka_message_duration_seconds_bucket{le=\"0.0005\"} 1\n",
                             "besedka_message_duration_seconds_bucket{le=\"+Inf\"} 3\n",
                             "besedka_message_duration_seconds_count 3\n",
                             "besedka_http_responses_total{code=\"429\"} 2\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
}

} // namespace
} // namespace besedka::server

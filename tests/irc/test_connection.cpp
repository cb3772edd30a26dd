// The connection's timing and registration against a scripted server in the
// same process, on timings of milliseconds: silence and reconnects, the
// growing delays and their reset, never two connections, fallback nicks and
// taking the nick back, PING both ways and the outgoing pace.

#include "irc/connection.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace besedka::irc {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "irc_connection_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Runs the event loop until `done` or `limit` passes; whether `done` came.
bool waitUntil(const std::function<bool()>& done, milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void pause(milliseconds duration) {
    waitUntil([] { return false; }, duration);
}

// A server that keeps each connection's lines and when it came.
class ScriptedServer {
  public:
    ScriptedServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                auto peer = std::make_shared<Peer>();
                peer->socket = socket;
                peer->acceptedAt = Clock::now();
                peers_.push_back(peer);
                QObject::connect(socket, &QTcpSocket::readyRead, [this, peer] {
                    peer->buffer += socket_text(peer->socket->readAll());
                    for (auto end = peer->buffer.find("\r\n"); end != std::string::npos;
                         end = peer->buffer.find("\r\n")) {
                        const std::string line = peer->buffer.substr(0, end);
                        peer->buffer.erase(0, end + 2);
                        peer->lines.push_back(line);
                        peer->times.push_back(Clock::now());
                        if (answersPings && line.starts_with("PING ")) {
                            peer->say("PONG " + line.substr(5));
                        }
                    }
                });
            }
        });
    }
    struct Peer {
        QTcpSocket* socket = nullptr;
        Clock::time_point acceptedAt;
        std::string buffer;
        std::vector<std::string> lines;
        std::vector<Clock::time_point> times; // when each line came
        bool sent(const std::string& line) const {
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        }
        void say(const std::string& line) const {
            socket->write((line + "\r\n").c_str());
            socket->flush();
        }
    };

    bool answersPings = true;
    std::uint16_t port() const { return server_.serverPort(); }
    const std::vector<std::shared_ptr<Peer>>& peers() const { return peers_; }
    Peer& last() { return *peers_.back(); }
    std::size_t open() const {
        return static_cast<std::size_t>(
            std::count_if(peers_.begin(), peers_.end(), [](const auto& peer) {
                return peer->socket->state() == QAbstractSocket::ConnectedState;
            }));
    }

  private:
    static std::string socket_text(const QByteArray& bytes) {
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    QTcpServer server_;
    std::vector<std::shared_ptr<Peer>> peers_;
};

ConnectionSettings quickSettings(std::uint16_t port) {
    ConnectionSettings settings;
    settings.server = ServerAddress{"127.0.0.1", port, false};
    settings.channels = {"#room"};
    ConnectionTimings& timings = settings.timings;
    timings.pingEvery = milliseconds(150);
    timings.silenceLimit = milliseconds(400);
    timings.registrationLimit = milliseconds(2000);
    timings.reconnectFirst = milliseconds(100);
    timings.reconnectLongest = milliseconds(400);
    timings.healthyAfter = milliseconds(600);
    timings.nickRegainEvery = milliseconds(200);
    settings.pace = SendPace{4, milliseconds(100), 50};
    return settings;
}

class ConnectionTest : public ::testing::Test {
  protected:
    // Waits for the connection's registration lines and welcomes it.
    void welcome(const std::string& nick = "besedka") {
        ASSERT_TRUE(
            waitUntil([&] { return server_.peers().size() > peersWelcomed_; }, milliseconds(3000)));
        ++peersWelcomed_;
        auto& peer = server_.last();
        ASSERT_TRUE(waitUntil([&] { return peer.lines.size() >= 2; }, milliseconds(2000)));
        peer.say(":irc.test 001 " + nick + " :Welcome " + nick + "!~besedka@127.0.0.1");
    }

    QCoreApplication& application_ = application(); // before any socket
    ScriptedServer server_;
    std::size_t peersWelcomed_ = 0;
};

TEST_F(ConnectionTest, RegistersJoinsAndAnswersAndSendsPings) {
    Connection connection(quickSettings(server_.port()));
    connection.open();
    ASSERT_NO_FATAL_FAILURE(welcome());
    auto& peer = server_.last();
    EXPECT_EQ(peer.lines[0], "NICK besedka");
    EXPECT_EQ(peer.lines[1], "USER besedka 0 * besedka");
    ASSERT_TRUE(waitUntil([&] { return peer.sent("JOIN #room"); }, milliseconds(1000)));
    EXPECT_TRUE(connection.registered());
    EXPECT_EQ(connection.ownPrefix(), "besedka!~besedka@127.0.0.1");
    peer.say("PING :token-42");
    ASSERT_TRUE(waitUntil([&] { return peer.sent("PONG token-42"); }, milliseconds(1000)));
    ASSERT_TRUE(waitUntil([&] { return peer.sent("PING besedka"); }, milliseconds(1000)));
}

TEST_F(ConnectionTest, SilenceReconnectsWithGrowingDelaysNeverTwoAtOnce) {
    Connection connection(quickSettings(server_.port()));
    server_.answersPings = false;
    std::size_t mostOpen = 0;
    connection.open();
    ASSERT_NO_FATAL_FAILURE(welcome());
    // The server says nothing more: after 400 ms of silence the bot leaves
    // and comes back 100 ms later, then 200, then 400, then 400.
    for (int attempt = 0; attempt < 4; ++attempt) {
        ASSERT_TRUE(waitUntil(
            [&] {
                mostOpen = std::max(mostOpen, server_.open());
                return server_.peers().size() > peersWelcomed_;
            },
            milliseconds(3000)))
            << attempt;
        ASSERT_NO_FATAL_FAILURE(welcome());
    }
    const auto& peers = server_.peers();
    std::vector<long> gaps;
    for (std::size_t i = 1; i < peers.size(); ++i) {
        gaps.push_back(static_cast<long>(std::chrono::duration_cast<milliseconds>(
                                             peers[i]->acceptedAt - peers[i - 1]->acceptedAt)
                                             .count()));
    }
    // Silence (400) plus the delay: 500, 600, 800, 800.
    const std::vector<long> expected{500, 600, 800, 800};
    ASSERT_EQ(gaps.size(), expected.size());
    for (std::size_t i = 0; i < gaps.size(); ++i) {
        EXPECT_GE(gaps[i], expected[i] - 60) << i; // Qt's coarse timers: 5%
        EXPECT_LE(gaps[i], expected[i] + 400) << i;
    }
    EXPECT_LE(mostOpen, 1U);
}

TEST_F(ConnectionTest, AHealthyConnectionResetsTheDelay) {
    ConnectionSettings settings = quickSettings(server_.port());
    settings.timings.silenceLimit = milliseconds(5000);
    Connection connection(settings);
    connection.open();
    for (int attempt = 0; attempt < 3; ++attempt) {
        ASSERT_NO_FATAL_FAILURE(welcome());
        server_.last().socket->disconnectFromHost(); // at once: delays 100, 200, 400
    }
    ASSERT_NO_FATAL_FAILURE(welcome());
    auto& healthy = server_.last();
    pause(milliseconds(800)); // longer than healthyAfter
    healthy.socket->disconnectFromHost();
    const auto lostAt = Clock::now();
    ASSERT_TRUE(
        waitUntil([&] { return server_.peers().size() > peersWelcomed_; }, milliseconds(3000)));
    const auto delay = std::chrono::duration_cast<milliseconds>(server_.last().acceptedAt - lostAt);
    EXPECT_LT(delay.count(), 300) << "the first delay again after a healthy connection";
}

TEST_F(ConnectionTest, FallsBackToOtherNicksAndTakesItsOwnBack) {
    Connection connection(quickSettings(server_.port()));
    connection.open();
    ASSERT_TRUE(waitUntil([&] { return !server_.peers().empty(); }, milliseconds(3000)));
    auto& peer = server_.last();
    ASSERT_TRUE(waitUntil([&] { return peer.sent("NICK besedka"); }, milliseconds(2000)));
    peer.say(":irc.test 433 * besedka :Nickname already in use");
    ASSERT_TRUE(waitUntil([&] { return peer.sent("NICK besedka_"); }, milliseconds(1000)));
    peer.say(":irc.test 433 * besedka_ :Nickname already in use");
    ASSERT_TRUE(waitUntil([&] { return peer.sent("NICK besedka__"); }, milliseconds(1000)));
    peer.say(":irc.test 001 besedka__ :Welcome");
    ASSERT_TRUE(waitUntil([&] { return connection.registered(); }, milliseconds(1000)));
    EXPECT_EQ(connection.nick(), "besedka__");
    // The regain timer asks for the nick; the holder still has it.
    const auto asked = [&] {
        return std::count(peer.lines.begin(), peer.lines.end(), "NICK besedka");
    };
    ASSERT_TRUE(waitUntil([&] { return asked() >= 2; }, milliseconds(1000)));
    peer.say(":irc.test 433 besedka__ besedka :Nickname already in use");
    ASSERT_TRUE(waitUntil([&] { return asked() >= 3; }, milliseconds(1000)));
    EXPECT_EQ(connection.nick(), "besedka__");
    peer.say(":besedka__!~b@h NICK :besedka");
    ASSERT_TRUE(waitUntil([&] { return connection.nick() == "besedka"; }, milliseconds(1000)));
    const auto count = asked();
    pause(milliseconds(500));
    EXPECT_EQ(asked(), count) << "no more tries once the nick is back";
}

TEST_F(ConnectionTest, PacesWhatItSendsAndQuitsCleanly) {
    Connection connection(quickSettings(server_.port()));
    bool finished = false;
    QObject::connect(&connection, &Connection::finished, [&] { finished = true; });
    connection.open();
    ASSERT_NO_FATAL_FAILURE(welcome());
    auto& peer = server_.last();
    ASSERT_TRUE(waitUntil([&] { return peer.sent("JOIN #room"); }, milliseconds(1000)));
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(connection.send("PRIVMSG", {"#room", "line " + std::to_string(i)}));
    }
    EXPECT_FALSE(connection.send("PRIVMSG", {"#room", "bad\r\nQUIT"}));
    EXPECT_FALSE(connection.send("PRIVMSG", {"#room", std::string(600, 'x')}));
    ASSERT_TRUE(waitUntil([&] { return peer.sent("PRIVMSG #room :line 7"); }, milliseconds(2000)));
    std::vector<Clock::time_point> times;
    for (std::size_t i = 0; i < peer.lines.size(); ++i) {
        if (peer.lines[i].starts_with("PRIVMSG")) {
            times.push_back(peer.times[i]);
        }
    }
    ASSERT_EQ(times.size(), 8U);
    // A burst of 4 (3 when the JOIN's token has not come back yet), then
    // one every 100 ms.
    std::size_t burst = 1;
    while (burst < times.size() && times[burst] - times[0] < milliseconds(40)) {
        ++burst;
    }
    EXPECT_GE(burst, 3U);
    EXPECT_LE(burst, 4U);
    // The bucket lets a late line's successor catch up, never get ahead:
    // five lines always span an interval, eight at least four.
    for (std::size_t i = 0; i + 4 < times.size(); ++i) {
        EXPECT_GE(times[i + 4] - times[i], milliseconds(90)) << i;
    }
    EXPECT_GE(times[7] - times[0], milliseconds(370));
    connection.quit("До свидания!");
    ASSERT_TRUE(waitUntil([&] { return finished; }, milliseconds(4000)));
    EXPECT_TRUE(waitUntil([&] { return peer.sent("QUIT :До свидания!"); }, milliseconds(1000)));
    pause(milliseconds(300));
    EXPECT_EQ(server_.peers().size(), 1U) << "no reconnect after QUIT";
}

} // namespace
} // namespace besedka::irc

#pragma once

// The connection to one IRC server: the socket (TLS when asked), the
// registration, PING and PONG, reconnecting with growing delays, nick
// collisions and taking the nick back, joining and rejoining the channels,
// and the outgoing queue's pace. What the bot says is none of its business:
// every message it reads goes out through received().

#include "irc/backoff.h"
#include "irc/encoding.h"
#include "irc/instant.h"
#include "irc/message.h"
#include "irc/nick_choice.h"
#include "irc/send_queue.h"
#include "irc/server_address.h"
#include "irc/server_features.h"

#include <QObject>
#include <QSslCertificate>
#include <QSslSocket>
#include <QTimer>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace besedka::irc {

struct ConnectionTimings {
    std::chrono::milliseconds pingEvery{120'000};
    std::chrono::milliseconds silenceLimit{240'000}; // nothing from the server: reconnect
    std::chrono::milliseconds registrationLimit{60'000};
    std::chrono::milliseconds reconnectFirst{2'000};
    std::chrono::milliseconds reconnectLongest{300'000};
    std::chrono::milliseconds healthyAfter{60'000}; // a connection this old resets the delays
    std::chrono::milliseconds rejoinFirst{5'000};
    std::chrono::milliseconds rejoinLongest{300'000};
    std::chrono::milliseconds rejoinSettled{300'000}; // in the channel this long: delays reset
    std::chrono::milliseconds nickRegainEvery{60'000};
    std::chrono::milliseconds quitPatience{3'000}; // for the server to close after QUIT
};

struct ConnectionSettings {
    ServerAddress server;
    std::string nick = "besedka";
    std::string user = "besedka";
    std::string realName = "besedka";
    std::optional<std::string> password;
    QList<QSslCertificate> trusted; // beside the system's certificate authorities
    std::vector<std::string> channels;
    Encoding encoding = Encoding::Utf8;
    SendPace pace;
    ConnectionTimings timings;
    std::function<void(const std::string&)> log; // one line of what happens
};

class Connection final : public QObject {
    Q_OBJECT
  public:
    explicit Connection(ConnectionSettings settings, QObject* parent = nullptr);
    // Closes without a word: the socket's last signals reach no half-gone
    // connection.
    ~Connection() override;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connects, and keeps connecting until quit().
    void open();
    // Queues a message at the outgoing pace. False, and the message dropped,
    // when not registered, when the queue is full or when the line could
    // not carry it (see buildLine) or would be longer than 512 bytes.
    bool send(const std::string& command, const std::vector<std::string>& params);
    // Sends QUIT with `message` at once and closes; finished() follows once
    // the server closed or its patience ran out.
    void quit(const std::string& message);

    bool registered() const { return state_ == State::Registered; }
    const std::string& nick() const { return nick_; }
    // "nick!user@host" as the server relays us; empty until it showed it.
    const std::string& ownPrefix() const { return ownPrefix_; }
    const ServerFeatures& features() const { return features_; }
    Encoding encoding() const { return encoding_; }

  signals:
    void received(const besedka::irc::Message& message);
    void registeredOnServer();
    void connectionLost();
    void finished();

  private:
    enum class State { Idle, Connecting, Registering, Registered, Waiting, Quitting, Finished };
    struct Channel {
        Backoff rejoin;
        std::optional<Instant> joinedAt;
    };

    void connectNow();
    void introduce();
    void readLines();
    void handle(const Message& message);
    void welcomed(const Message& message);
    void nickRefused(const Message& message);
    void nickChanged(const Message& message);
    void joined(const Message& message);
    void scheduleRejoin(const std::string& channel);
    void tryNickBack();
    void lost(const std::string& reason);
    void finish();
    void writeNow(const std::string& command, const std::vector<std::string>& params);
    void writeLine(const std::string& line);
    void flushQueue();
    Channel& channel(const std::string& name);
    std::string folded(std::string_view name) const;
    void log(const std::string& line) const;

    ConnectionSettings settings_;
    QSslSocket socket_;
    State state_ = State::Idle;
    std::string buffer_;
    bool skippingLongLine_ = false;
    std::size_t nickAttempts_ = 0; // in this registration
    std::string nick_;
    std::string ownPrefix_;
    ServerFeatures features_;
    Encoding encoding_;
    NickChoice nicks_;
    SendQueue queue_;
    Backoff reconnect_;
    std::map<std::string, Channel> channels_; // by folded name
    unsigned generation_ = 0;                 // counts connections; stale delayed work checks it
    QTimer reconnectTimer_;
    QTimer registrationTimer_;
    QTimer silenceTimer_;
    QTimer pingTimer_;
    QTimer healthyTimer_;
    QTimer nickTimer_;
    QTimer sendTimer_;
    QTimer quitTimer_;
};

} // namespace besedka::irc

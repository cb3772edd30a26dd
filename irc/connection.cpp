#include "irc/connection.h"

#include <QSslConfiguration>

#include <algorithm>

namespace besedka::irc {
namespace {

// A line longer than this (tags included) is not the protocol's: it is
// dropped whole rather than read in pieces.
constexpr std::size_t kLongestReceivedLine = 16 * 1024;
constexpr std::size_t kLongestSentLine = 510; // 512 with CR LF
constexpr std::size_t kMostNickAttempts = 20; // in one registration

// Numerics that refuse a JOIN for a while: full, invite only, banned, bad
// key, registered nicks only, too many channels.
bool refusesJoin(std::string_view command) {
    return command == "471" || command == "473" || command == "474" || command == "475" ||
           command == "477" || command == "405";
}

int milliseconds(std::chrono::milliseconds duration) {
    return static_cast<int>(
        std::clamp<std::chrono::milliseconds::rep>(duration.count(), 0, 1'000'000'000));
}

std::string seconds(std::chrono::milliseconds duration) {
    return std::to_string((duration.count() + 999) / 1000) + " s";
}

// The last word of a 001 welcome is often our full prefix.
std::string prefixIn(std::string_view welcome) {
    const std::size_t space = welcome.rfind(' ');
    const std::string_view word =
        space == std::string_view::npos ? welcome : welcome.substr(space + 1);
    const std::size_t bang = word.find('!');
    if (bang == std::string_view::npos || word.find('@', bang) == std::string_view::npos) {
        return {};
    }
    return std::string(word);
}

} // namespace

Connection::Connection(ConnectionSettings settings, QObject* parent)
    : QObject(parent), settings_(std::move(settings)), nick_(settings_.nick),
      encoding_(settings_.encoding), nicks_(settings_.nick), queue_(settings_.pace),
      reconnect_(settings_.timings.reconnectFirst, settings_.timings.reconnectLongest) {
    const ConnectionTimings& timings = settings_.timings;
    for (QTimer* timer : {&reconnectTimer_, &registrationTimer_, &silenceTimer_, &healthyTimer_,
                          &sendTimer_, &quitTimer_}) {
        timer->setSingleShot(true);
    }
    registrationTimer_.setInterval(milliseconds(timings.registrationLimit));
    silenceTimer_.setInterval(milliseconds(timings.silenceLimit));
    pingTimer_.setInterval(milliseconds(timings.pingEvery));
    healthyTimer_.setInterval(milliseconds(timings.healthyAfter));
    nickTimer_.setInterval(milliseconds(timings.nickRegainEvery));
    quitTimer_.setInterval(milliseconds(timings.quitPatience));

    connect(&reconnectTimer_, &QTimer::timeout, this, &Connection::connectNow);
    connect(&registrationTimer_, &QTimer::timeout, this, [this] {
        lost("no welcome from the server in " + seconds(settings_.timings.registrationLimit));
    });
    connect(&silenceTimer_, &QTimer::timeout, this, [this] {
        lost("nothing from the server for " + seconds(settings_.timings.silenceLimit));
    });
    connect(&pingTimer_, &QTimer::timeout, this, [this] { writeNow("PING", {"besedka"}); });
    connect(&healthyTimer_, &QTimer::timeout, this, [this] { reconnect_.reset(); });
    connect(&nickTimer_, &QTimer::timeout, this, &Connection::tryNickBack);
    connect(&sendTimer_, &QTimer::timeout, this, &Connection::flushQueue);
    connect(&quitTimer_, &QTimer::timeout, this, &Connection::finish);

    if (!settings_.trusted.isEmpty()) {
        QSslConfiguration tls = socket_.sslConfiguration();
        tls.addCaCertificates(settings_.trusted);
        socket_.setSslConfiguration(tls);
    }
    connect(&socket_, &QSslSocket::connected, this, [this] {
        if (!settings_.server.tls) {
            introduce();
        }
    });
    connect(&socket_, &QSslSocket::encrypted, this, &Connection::introduce);
    connect(&socket_, &QSslSocket::readyRead, this, &Connection::readLines);
    connect(&socket_, &QSslSocket::disconnected, this,
            [this] { lost("the server closed the connection"); });
    connect(&socket_, &QSslSocket::errorOccurred, this,
            [this] { lost(socket_.errorString().toStdString()); });
}

Connection::~Connection() {
    state_ = State::Finished;
    socket_.disconnect(this);
    socket_.abort();
}

void Connection::log(const std::string& line) const {
    if (settings_.log) {
        settings_.log(line);
    }
}

std::string Connection::folded(std::string_view name) const {
    return foldCase(name, features_.caseMapping);
}

void Connection::open() {
    if (state_ == State::Idle) {
        connectNow();
    }
}

// Every attempt goes through here, and the one socket is reset first: never
// two connections at once.
void Connection::connectNow() {
    ++generation_;
    socket_.abort();
    buffer_.clear();
    skippingLongLine_ = false;
    queue_.reset();
    nicks_.restart();
    nickAttempts_ = 0;
    nick_ = settings_.nick;
    ownPrefix_.clear();
    features_ = ServerFeatures{};
    encoding_ = settings_.encoding;
    for (auto& entry : channels_) {
        entry.second.joinedAt.reset();
    }
    state_ = State::Connecting;
    log("connecting to " + settings_.server.host + ":" + std::to_string(settings_.server.port) +
        (settings_.server.tls ? " (TLS)" : ""));
    registrationTimer_.start();
    const QString host = QString::fromStdString(settings_.server.host);
    if (settings_.server.tls) {
        socket_.connectToHostEncrypted(host, settings_.server.port);
    } else {
        socket_.connectToHost(host, settings_.server.port);
    }
}

void Connection::introduce() {
    if (state_ != State::Connecting) {
        return;
    }
    state_ = State::Registering;
    silenceTimer_.start();
    if (settings_.password) {
        writeNow("PASS", {*settings_.password});
    }
    writeNow("NICK", {nick_});
    writeNow("USER", {settings_.user, "0", "*", settings_.realName});
}

void Connection::readLines() {
    if (state_ != State::Registering && state_ != State::Registered && state_ != State::Quitting) {
        return;
    }
    silenceTimer_.start();
    const QByteArray bytes = socket_.readAll();
    buffer_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = buffer_.find('\n'); end != std::string::npos;
         end = buffer_.find('\n', start)) {
        std::string line = buffer_.substr(start, end - start);
        start = end + 1;
        if (skippingLongLine_) {
            skippingLongLine_ = false;
            continue;
        }
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        lines.push_back(std::move(line));
    }
    buffer_.erase(0, start);
    if (buffer_.size() > kLongestReceivedLine) {
        buffer_.clear();
        skippingLongLine_ = true;
    }
    const unsigned generation = generation_;
    for (const std::string& line : lines) {
        if (generation != generation_ || state_ == State::Waiting || state_ == State::Finished) {
            return; // what follows belongs to a connection that is gone
        }
        if (const auto message = parseMessage(decodeReceived(line))) {
            handle(*message);
        }
    }
}

void Connection::handle(const Message& message) {
    const std::string& command = message.command;
    if (command == "PING") {
        writeNow("PONG", message.params);
    } else if (command == "001") {
        welcomed(message);
    } else if (command == "005") {
        readFeatures(message, features_);
        if (features_.utf8Only && encoding_ != Encoding::Utf8) {
            log("the server takes UTF-8 only: sending UTF-8");
            encoding_ = Encoding::Utf8;
        }
    } else if (command == "433" || command == "432" ||
               (command == "437" && !features_.isChannel(message.param(1)))) {
        nickRefused(message);
    } else if (command == "NICK") {
        nickChanged(message);
    } else if (command == "QUIT") {
        if (sameName(prefixNick(message.prefix), nicks_.wanted(), features_.caseMapping)) {
            tryNickBack();
        }
    } else if (command == "JOIN") {
        joined(message);
    } else if (command == "KICK" && sameName(message.param(1), nick_, features_.caseMapping)) {
        log("kicked from " + std::string(message.param(0)) + " by " +
            std::string(prefixNick(message.prefix)) + ": " + std::string(message.param(2)));
        scheduleRejoin(std::string(message.param(0)));
    } else if (refusesJoin(command) || command == "437") {
        log("cannot join " + std::string(message.param(1)) + ": " + std::string(message.param(2)));
        scheduleRejoin(std::string(message.param(1)));
    } else if (command == "464" || command == "465") {
        log("the server refuses us: " + std::string(message.param(1)));
    } else if (command == "ERROR") {
        log("the server says: " + std::string(message.param(0)));
    } else if (command == "396" && !ownPrefix_.empty()) {
        ownPrefix_ = ownPrefix_.substr(0, ownPrefix_.find('@') + 1) + std::string(message.param(1));
    }
    emit received(message);
}

void Connection::welcomed(const Message& message) {
    if (state_ != State::Registering) {
        return;
    }
    state_ = State::Registered;
    registrationTimer_.stop();
    nick_ = message.param(0);
    ownPrefix_ = prefixIn(message.param(1));
    log("registered as " + nick_);
    healthyTimer_.start();
    pingTimer_.start();
    if (!sameName(nick_, nicks_.wanted(), features_.caseMapping)) {
        nickTimer_.start();
    }
    for (const std::string& name : settings_.channels) {
        send("JOIN", {name});
    }
    emit registeredOnServer();
}

void Connection::nickRefused(const Message& message) {
    if (state_ != State::Registering) {
        return; // a try to take our nick back failed: the timer tries again
    }
    if (++nickAttempts_ > kMostNickAttempts) {
        lost("the server took none of " + std::to_string(kMostNickAttempts) + " nicks");
        return;
    }
    const std::size_t longest = std::max(features_.nickLength, nicks_.wanted().size());
    nick_ = nicks_.nextFallback(message.command == "432" ? features_.nickLength : longest);
    log("nick " + std::string(message.param(1)) + " refused (" + message.command + "), trying " +
        nick_);
    writeNow("NICK", {nick_});
}

void Connection::nickChanged(const Message& message) {
    const std::string_view from = prefixNick(message.prefix);
    const CaseMapping mapping = features_.caseMapping;
    if (sameName(from, nick_, mapping)) {
        nick_ = message.param(0);
        if (!ownPrefix_.empty()) {
            ownPrefix_ = nick_ + ownPrefix_.substr(ownPrefix_.find('!'));
        }
        if (sameName(nick_, nicks_.wanted(), mapping)) {
            nickTimer_.stop();
            log("took back the nick " + nick_);
        } else if (state_ == State::Registered && !nickTimer_.isActive()) {
            nickTimer_.start();
        }
    } else if (sameName(from, nicks_.wanted(), mapping)) {
        tryNickBack();
    }
}

void Connection::tryNickBack() {
    if (state_ == State::Registered && !sameName(nick_, nicks_.wanted(), features_.caseMapping)) {
        writeNow("NICK", {nicks_.wanted()});
    }
}

void Connection::joined(const Message& message) {
    if (!sameName(prefixNick(message.prefix), nick_, features_.caseMapping)) {
        return;
    }
    if (message.prefix.find('!') != std::string::npos) {
        ownPrefix_ = message.prefix;
    }
    const std::string name(message.param(0));
    channel(name).joinedAt = std::chrono::steady_clock::now();
    log("joined " + name);
}

Connection::Channel& Connection::channel(const std::string& name) {
    const ConnectionTimings& timings = settings_.timings;
    return channels_
        .try_emplace(folded(name), Channel{Backoff(timings.rejoinFirst, timings.rejoinLongest), {}})
        .first->second;
}

// After a kick the bot comes back, each time a little later, until it has
// stayed a while.
void Connection::scheduleRejoin(const std::string& name) {
    if (state_ != State::Registered || name.empty()) {
        return;
    }
    Channel& state = channel(name);
    if (state.joinedAt &&
        std::chrono::steady_clock::now() - *state.joinedAt >= settings_.timings.rejoinSettled) {
        state.rejoin.reset();
    }
    state.joinedAt.reset();
    const std::chrono::milliseconds delay = state.rejoin.nextDelay();
    log("rejoining " + name + " in " + seconds(delay));
    QTimer::singleShot(milliseconds(delay), this, [this, name, generation = generation_] {
        if (generation == generation_) {
            send("JOIN", {name});
        }
    });
}

void Connection::lost(const std::string& reason) {
    if (state_ == State::Quitting) {
        finish();
        return;
    }
    if (state_ != State::Connecting && state_ != State::Registering &&
        state_ != State::Registered) {
        return;
    }
    const bool wasRegistered = state_ == State::Registered;
    state_ = State::Waiting;
    for (QTimer* timer : {&registrationTimer_, &silenceTimer_, &pingTimer_, &healthyTimer_,
                          &nickTimer_, &sendTimer_}) {
        timer->stop();
    }
    socket_.abort();
    queue_.reset();
    const std::chrono::milliseconds delay = reconnect_.nextDelay();
    log("connection lost (" + reason + "); reconnecting in " + seconds(delay));
    reconnectTimer_.start(milliseconds(delay));
    if (wasRegistered) {
        emit connectionLost();
    }
}

void Connection::quit(const std::string& message) {
    const bool talking = state_ == State::Registering || state_ == State::Registered;
    if (state_ == State::Finished || state_ == State::Quitting) {
        return;
    }
    if (!talking) {
        finish();
        return;
    }
    state_ = State::Quitting;
    for (QTimer* timer : {&reconnectTimer_, &registrationTimer_, &silenceTimer_, &pingTimer_,
                          &healthyTimer_, &nickTimer_, &sendTimer_}) {
        timer->stop();
    }
    writeNow("QUIT", {message});
    socket_.flush();
    quitTimer_.start();
    socket_.disconnectFromHost();
}

void Connection::finish() {
    if (state_ == State::Finished) {
        return;
    }
    state_ = State::Finished;
    for (QTimer* timer : {&reconnectTimer_, &registrationTimer_, &silenceTimer_, &pingTimer_,
                          &healthyTimer_, &nickTimer_, &sendTimer_, &quitTimer_}) {
        timer->stop();
    }
    socket_.abort();
    emit finished();
}

void Connection::writeNow(const std::string& command, const std::vector<std::string>& params) {
    if (const auto line = buildLine(command, params)) {
        writeLine(*line);
    }
}

void Connection::writeLine(const std::string& line) {
    std::string bytes = encodeForSending(line, encoding_);
    if (bytes.size() > kLongestSentLine) {
        log("not sent, longer than a line: " + line.substr(0, 60) + "...");
        return;
    }
    bytes += "\r\n";
    socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

bool Connection::send(const std::string& command, const std::vector<std::string>& params) {
    if (state_ != State::Registered) {
        return false;
    }
    auto line = buildLine(command, params);
    if (!line || encodeForSending(*line, encoding_).size() > kLongestSentLine) {
        return false;
    }
    if (!queue_.push(std::move(*line))) {
        log("outgoing queue full: a line dropped");
        return false;
    }
    flushQueue();
    return true;
}

void Connection::flushQueue() {
    if (state_ != State::Registered) {
        return;
    }
    const Instant now = std::chrono::steady_clock::now();
    for (const std::string& line : queue_.takeDue(now)) {
        writeLine(line);
    }
    if (const auto next = queue_.nextDue(now)) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - now);
        sendTimer_.start(milliseconds(wait));
    }
}

} // namespace besedka::irc

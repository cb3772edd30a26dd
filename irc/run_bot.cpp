#include "irc/run_bot.h"

#include "irc/bot.h"
#include "irc/stop_signals.h"

#include <QCoreApplication>

namespace besedka::irc {

BotRun botRunFor(const BotOptions& options, std::optional<std::string> password,
                 std::string version, const std::function<void(const std::string&)>& log) {
    BotRun run;
    run.connection.server = options.server.value_or(ServerAddress{});
    run.connection.nick = options.nick;
    run.connection.password = std::move(password);
    run.connection.channels = options.channels;
    run.connection.encoding = options.encoding;
    run.connection.pace = options.pace;
    run.connection.log = log;
    run.behaviour.network = run.connection.server.host;
    run.behaviour.ignore = options.ignore;
    run.behaviour.version = std::move(version);
    return run;
}

int runBot(int& argc, char** argv, const BotRun& run, Responder& responder,
           const std::function<void()>& stopResponder) {
    const QCoreApplication application(argc, argv);
    const auto& log = run.connection.log;
    if (run.connection.server.tls && !QSslSocket::supportsSsl()) {
        log("TLS is not available here (no OpenSSL for Qt)");
        return 1;
    }
    Connection connection(run.connection);
    Bot bot(connection, responder, run.behaviour, log);
    StopSignals stopSignals;
    bool stopping = false;
    QObject::connect(&connection, &Connection::finished, &connection,
                     [] { QCoreApplication::exit(0); });
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &connection, [&](int signal) {
        if (stopping) {
            return;
        }
        stopping = true;
        log(std::string("stopping on ") + (signal == SIGINT ? "SIGINT" : "SIGTERM"));
        bot.stopListening();
        connection.quit(run.quitMessage);
        stopResponder();
    });
    connection.open();
    return QCoreApplication::exec();
}

} // namespace besedka::irc

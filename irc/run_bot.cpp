#include "irc/run_bot.h"

#include "irc/bot.h"
#include "irc/stop_signals.h"

#include <QCoreApplication>

namespace besedka::irc {

std::optional<std::string> prepareRun(const BotOptions& options, std::string version,
                                      const std::function<void(const std::string&)>& log,
                                      BotRun& run) {
    if (options.passwordFile) {
        std::string password;
        if (auto problem = readPassword(*options.passwordFile, password)) {
            return problem;
        }
        run.connection.password = std::move(password);
    }
    if (options.tlsCa) {
        const QString path = QString::fromStdString(options.tlsCa->string());
        run.connection.trusted =
            QSslCertificate::fromPath(path, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
        if (run.connection.trusted.isEmpty()) {
            return "no PEM certificate in " + options.tlsCa->string();
        }
    }
    run.connection.server = options.server.value_or(ServerAddress{});
    run.connection.nick = options.nick;
    run.connection.channels = options.channels;
    run.connection.encoding = options.encoding;
    run.connection.pace = options.pace;
    run.connection.log = log;
    run.behaviour.network = run.connection.server.host;
    run.behaviour.ignore = options.ignore;
    run.behaviour.version = std::move(version);
    return std::nullopt;
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

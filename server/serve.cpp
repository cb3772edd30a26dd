#include "serve.h"

#include "api_server.h"
#include "bearer_token.h"
#include "hub/conversation_hub.h"
#include "hub/hub_thread.h"

#include <atomic>
#include <csignal>
#include <ctime>
#include <ostream>
#include <stdexcept>
#include <thread>

namespace besedka::server {
namespace {

// SIGTERM and SIGINT, blocked in this thread and so in every thread it starts
// after: only the signal watcher takes them, by sigtimedwait.
class StopSignals {
  public:
    StopSignals() {
        sigemptyset(&set_);
        sigaddset(&set_, SIGTERM);
        sigaddset(&set_, SIGINT);
        pthread_sigmask(SIG_BLOCK, &set_, &previous_);
    }
    ~StopSignals() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Waits up to a fifth of a second; whether a stop signal came.
    bool arrived() const {
        constexpr timespec kPatience{0, 200'000'000};
        return sigtimedwait(&set_, nullptr, &kPatience) > 0;
    }

  private:
    sigset_t set_{};
    sigset_t previous_{};
};

// Calls `stop` when SIGTERM or SIGINT comes, until it goes.
class SignalWatcher {
  public:
    SignalWatcher(const StopSignals& signals, std::ostream& err, ApiServer& server)
        : thread_([this, &signals, &err, &server] {
              while (!done_) {
                  if (signals.arrived()) {
                      err << "besedka serve: stopping: answering the requests in flight and "
                             "ending the conversations\n"
                          << std::flush;
                      server.stop();
                      return;
                  }
              }
          }) {}
    ~SignalWatcher() {
        done_ = true;
        thread_.join();
    }
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

  private:
    std::atomic<bool> done_{false};
    std::thread thread_;
};

ApiSettings settingsFor(const ServeOptions& options) {
    ApiSettings settings;
    if (options.tokenFile) {
        settings.token = readTokenFile(*options.tokenFile);
    }
    settings.ratePerSecond = options.ratePerSecond;
    settings.maxConnections = options.maxConnections;
    if (options.tlsCert && options.tlsKey) {
        settings.tls = TlsFiles{*options.tlsCert, *options.tlsKey};
    }
    return settings;
}

} // namespace

int serve(const ServeOptions& options, const FileStore& files, Clock& clock, std::ostream& err) {
    const StopSignals signals;
    HubOptions hubOptions;
    hubOptions.maxConversations = options.maxConversations;
    hubOptions.idleLimit = std::chrono::minutes(options.idleMinutes);
    ConversationHub hub(files, clock, hubOptions);
    HubThread hubThread(hub);
    try {
        ApiServer api(hubThread, settingsFor(options));
        const int port = api.bind(options.listen);
        {
            const SignalWatcher watcher(signals, err, api);
            err << "listening on " << (options.tlsCert ? "https://" : "http://")
                << options.listen.withPort(port) << '\n'
                << std::flush;
            api.serve();
        }
    } catch (const std::runtime_error& error) {
        err << "besedka serve: " << error.what() << '\n';
        hubThread.stop();
        return 1;
    }
    hubThread.stop();
    return 0;
}

} // namespace besedka::server

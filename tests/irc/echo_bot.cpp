// The bot with a stand-in for the hub, for the tests of its connection and
// manners against a real server: it echoes each phrase ("эхо: ..."), answers
// "длинно" with a reply several lines long and "пока" with a farewell, and
// writes every phrase and ended conversation, one a line, to
// $BESEDKA_ECHO_LOG, so a test can tell what would have been learned.

#include "irc/bot_options.h"
#include "irc/responder.h"
#include "irc/run_bot.h"

#include <fstream>
#include <iostream>

namespace {

using besedka::SayRequest;
using besedka::TurnOutcome;

template <typename T> std::future<T> answered(T value) {
    std::promise<T> promise;
    promise.set_value(std::move(value));
    return promise.get_future();
}

std::string longReply() {
    std::string reply;
    for (int i = 0; i < 120; ++i) {
        reply += "слово" + std::to_string(i) + " ";
    }
    return reply + "конец";
}

class EchoResponder final : public besedka::irc::Responder {
  public:
    explicit EchoResponder(const char* logPath) {
        if (logPath != nullptr) {
            log_.open(logPath, std::ios::app);
        }
    }
    std::future<TurnOutcome> say(SayRequest request) override {
        record("SAY " + request.conversation + " " + request.origin + " | " + request.text);
        TurnOutcome outcome;
        outcome.conversation = request.conversation;
        outcome.shown = request.text;
        if (request.text == "длинно") {
            outcome.reply = longReply();
        } else if (request.text == "пока") {
            outcome.reply = "До встречи";
            outcome.ended = true;
            record("END " + request.conversation);
        } else {
            outcome.reply = "эхо: " + request.text;
        }
        outcome.learned = true;
        return answered(std::move(outcome));
    }
    std::future<bool> end(std::string conversation) override {
        record("END " + conversation);
        return answered(true);
    }
    void stop() { record("STOP"); }

  private:
    void record(const std::string& line) { log_ << line << std::endl; }
    std::ofstream log_;
};

} // namespace

int main(int argc, char** argv) {
    besedka::irc::BotOptions options;
    if (const auto problem = besedka::irc::parseBotOptions({argv + 1, argv + argc}, options)) {
        std::cerr << "echo_bot: " << *problem << '\n';
        return 2;
    }
    EchoResponder responder(std::getenv("BESEDKA_ECHO_LOG"));
    besedka::irc::BotRun run;
    const auto log = [](const std::string& line) {
        std::cerr << "echo_bot: " << line << std::endl;
    };
    if (const auto problem = besedka::irc::prepareRun(options, "echo_bot 1", log, run)) {
        std::cerr << "echo_bot: " << *problem << '\n';
        return 2;
    }
    return besedka::irc::runBot(argc, argv, run, responder, [&] { responder.stop(); });
}

// The floor of the serving benchmark: cpp-httplib tuned as `besedka serve`
// tunes it, answering every request with a fixed reply of the size of a
// turn's, without a body parsed or a hub. Prints "listening on http://ADDR:PORT" as
// the server does; SIGTERM or SIGINT ends it.
//
// Usage: besedka_serve_floor [PORT]
#include "server/http_tuning.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <thread>

namespace {

// The reply, around the conversation id that the path names (the load
// script matches answers to requests by it).
constexpr std::string_view kBefore = R"({"conversation":")";
constexpr std::string_view kAfter =
    R"(","shown":"Фраза 99997 конец.",)"
    R"("reply":"Ответ номер 99997.","learned":false,"ended":false})";

std::string conversationOf(const std::string& path) {
    constexpr std::string_view kPrefix = "/v1/conversations/";
    if (!path.starts_with(kPrefix)) {
        return "none";
    }
    const std::size_t start = kPrefix.size();
    return path.substr(start, path.find('/', start) - start);
}

} // namespace

int main(int argc, char** argv) {
    using besedka::server::TunedServer;
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGTERM);
    sigaddset(&stops, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);

    TunedServer<httplib::Server> http;
    besedka::server::tune(http, 128);
    const auto answer = [](const httplib::Request& request, httplib::Response& response) {
        std::string reply(kBefore);
        reply += conversationOf(request.path);
        reply += kAfter;
        response.set_content(reply, "application/json");
    };
    http.Post(".*", answer);
    http.Get(".*", answer);
    const int wanted = argc > 1 ? std::atoi(argv[1]) : 0;
    const int port = wanted == 0                              ? http.bind_to_any_port("127.0.0.1")
                     : http.bind_to_port("127.0.0.1", wanted) ? wanted
                                                              : -1;
    if (port < 0) {
        std::cerr << "besedka_serve_floor: cannot listen\n";
        return 1;
    }
    http.lengthenListenQueue();
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stops, &signal);
        while (!http.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        http.stop();
    });
    std::cerr << "listening on http://127.0.0.1:" << port << std::endl;
    http.listen_after_bind();
    stopper.join();
    return 0;
}

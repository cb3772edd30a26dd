#include "serve_command.h"

#include "files/directory_lock.h"
#include "files/file_store.h"
#include "help_layout.h"
#include "server/api_catalogue.h"
#include "server/serve.h"
#include "server/serve_options.h"
#include "start_options.h"
#include "talk/clock.h"

#include <algorithm>
#include <csignal>
#include <ostream>

namespace besedka {
namespace {

constexpr std::size_t kNoteColumn = 22;

std::vector<std::string> usageWords() {
    std::vector<std::string> words;
    for (const server::OptionEntry& option : server::serveOptions()) {
        if (option.name == "--workdir") {
            continue; // WORKDIR says it
        }
        words.push_back("[" + std::string(option.name) +
                        (option.value.empty() ? "" : " " + std::string(option.value)) + "]");
    }
    return words;
}

// "  NAME" with `note` at kNoteColumn, or on the next line when NAME is long.
std::string noted(std::string_view name, std::string_view note) {
    const std::string start = "  " + std::string(name);
    const std::size_t width = columnsOf(start);
    const std::string gap = width + 2 <= kNoteColumn ? std::string(kNoteColumn - width, ' ')
                                                     : '\n' + std::string(kNoteColumn, ' ');
    return wrapped(start + gap, note, kNoteColumn);
}

} // namespace

void printServeHelp(std::ostream& out) {
    const std::string start = "Usage: besedka serve ";
    out << wrapped(start, usageWords(), columnsOf(start)) << '\n'
        << "Serve conversations over HTTP, JSON in UTF-8: a dialogue of its own for each\n"
           "conversation id, all of them learning into the working directory's knowledge\n"
           "base as the chat does. Prints \"listening on http://ADDR:PORT\" on stderr once\n"
           "it takes connections; SIGTERM or SIGINT ends every conversation with its block\n"
           "in the dialogue log and exits 0. The chat, the window and the kb commands\n"
           "work on the same directory meanwhile.\n"
           "\n"
           "Options (also as --name=VALUE):\n";
    for (const server::OptionEntry& option : server::serveOptions()) {
        const std::string name = std::string(option.name) +
                                 (option.value.empty() ? "" : " " + std::string(option.value));
        out << noted(name, option.note);
    }
    out << "\nRoutes ({id}: 1 to 64 characters of A-Z a-z 0-9 . _ -):\n";
    for (const server::Route& route : server::routes()) {
        out << noted(std::string(route.method) + " " + std::string(route.path), route.summary);
    }
    out << "\nErrors, as {\"error\": {\"code\": \"CODE\", \"message\": \"...\"}}:\n";
    for (const server::ErrorEntry& error : server::errorEntries()) {
        out << noted(std::to_string(error.status) + " " + std::string(error.name), error.meaning);
    }
    out << "\nExample:\n"
           "  besedka serve &\n"
           "  curl -s -H 'Content-Type: application/json' -d '{\"text\": \"Привет\"}' \\\n"
           "      http://127.0.0.1:8642/v1/conversations/anna/messages\n";
}

int runServeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (std::any_of(args.begin(), args.end(), asksForHelp)) {
        printServeHelp(out);
        return 0;
    }
    auto parsed = server::parseServeOptions(args);
    if (const auto* problem = std::get_if<std::string>(&parsed)) {
        err << "besedka serve: " << *problem << " (see besedka serve --help)\n";
        return 2;
    }
    const auto& options = std::get<server::ServeOptions>(parsed);
    StartOptions start;
    start.workdir = options.workdir;
    if (const auto problem = workdirProblem(start)) {
        err << "besedka serve: " << problem->message << '\n';
        return problem->status;
    }
    // A client that goes away mid-answer must not end the server.
    std::signal(SIGPIPE, SIG_IGN);
    const UnsharedLockListener unshared([&err](const std::filesystem::path& directory) {
        err << "besedka serve: " << unsharedLockNotice(directory) << '\n';
    });
    FileStore files(pathMapFor(start));
    files.setNotice(
        [&err](const std::string& notice) { err << "besedka serve: " << notice << '\n'; });
    const auto clock = clockFromEnvironment();
    return server::serve(options, files, *clock, err);
}

} // namespace besedka

// Program start: the window by default, or one of the command-line tools.
#include "chat_command.h"
#include "help_layout.h"
#include "kb/browse.h"
#include "kb/command.h"
#include "serve_command.h"
#include "start_options.h"
#include "talk/heap_policy.h"

#ifdef BESEDKA_WITH_IRC
#include "irc_command.h"
#endif

#ifdef BESEDKA_WITH_GUI
#include "chat/run_window.h"
#include "files/path_map.h"
#include "knowledge/run_knowledge_window.h"
#include "platform_choice.h"

#include <cstdlib>
#include <filesystem>
#endif

#include <csignal>
#include <exception>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kVersion = BESEDKA_VERSION;
// The version of the design the window follows, as its title shows it.
constexpr const char* kDesignVersion = "v1.926";

void printHelp(std::ostream& out) {
    using besedka::helpEntry;
    out << "Usage:\n"
        << helpEntry("besedka [--workdir DIR] [--drive D=DIR]", "open the chat window")
        << helpEntry("besedka chat [--workdir DIR] [--drive D=DIR]",
                     "chat in the terminal, one phrase a line")
        << helpEntry("besedka chat --help", "the terminal chat's commands")
        << helpEntry("besedka serve [--listen ADDR:PORT] [--token-file FILE] [WORKDIR]",
                     "serve conversations over HTTP and JSON, a dialogue per conversation")
        << helpEntry("besedka serve --help", "its options, routes and errors")
#ifdef BESEDKA_WITH_IRC
        << helpEntry("besedka irc --server HOST[:PORT] [OPTION]... [WORKDIR]",
                     "the bot in the rooms of an IRC network")
        << helpEntry("besedka irc --help", "the IRC bot's options")
#endif
        << helpEntry("besedka --help", "show this help")
        << helpEntry("besedka --version", "show the version")
        << helpEntry("besedka --has-window", "succeed when the window is built in") << "\n";
    besedka::printKbCommands(out);
    out << "\n"
           "Options:\n"
           "  --workdir DIR   run in DIR; without it: the current directory when it holds\n"
           "                  Base, else ~/.local/share/besedka (or $XDG_DATA_HOME/besedka),\n"
           "                  filled from the starter data on first start\n"
           "  --drive D=DIR   map the Windows drive D: to DIR (else $BESEDKA_DRIVE_D, else\n"
           "                  the folder D in the working directory)\n"
           "  Both also as --workdir=DIR and --drive=D=DIR.\n"
           "\n"
           "Terminal chat commands: "
        << besedka::chatCommandNames()
        << "\n"
           "\n"
           "Versions: "
        << kVersion << " is this program's; the window's title shows " << kDesignVersion
        << "\n"
           "and the about box 1.9.2.6, the version of the design it follows.\n"
           "\n"
           "Environment:\n"
           "  BESEDKA_CLOCK=MS  run on a fake clock starting MS milliseconds after midnight,\n"
           "                    for reproducible runs\n";
}

#ifdef BESEDKA_WITH_GUI
// On a Wayland desktop the window goes through the desktop's X server, where
// it can place itself as it is meant to move. False, after saying so, when
// there is no display to open a window on.
bool choosePlatformForTheWindow() {
    const besedka::PlatformChoice choice = besedka::choosePlatform(
        std::getenv("QT_QPA_PLATFORM"), std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"));
    if (choice.noDisplay) {
        std::cerr << "besedka: no display to open a window on (neither DISPLAY nor "
                     "WAYLAND_DISPLAY is set); use 'besedka chat' or 'besedka kb'\n";
        return false;
    }
    if (choice.platform) {
        ::setenv("QT_QPA_PLATFORM", choice.platform->c_str(), 1);
    }
    if (choice.movesUnavailable) {
        std::cerr << "besedka: this Wayland session has no X server (DISPLAY is not set), so the "
                     "window cannot move itself: no centring, shake or closing drift\n";
    }
    return true;
}

int startWindow(int& argc, char** argv, const std::vector<std::string>& args) {
    besedka::StartOptions options;
    if (const auto problem = besedka::parseStartOptions(args, options)) {
        std::cerr << "besedka: " << *problem << " (see besedka --help)\n";
        return 2;
    }
    if (const auto problem = besedka::workdirProblem(options)) {
        std::cerr << "besedka: " << problem->message << '\n';
        return problem->status;
    }
    if (!choosePlatformForTheWindow()) {
        return 1;
    }
    return besedka::runWindow(argc, argv, besedka::pathMapFor(options));
}
#endif

int run(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && besedka::asksForHelp(args[0])) {
        printHelp(std::cout);
        return 0;
    }
    if (!args.empty() && args[0] == "--version") {
        std::cout << "besedka " << kVersion << " (" << kDesignVersion << ")\n";
        return 0;
    }
    if (!args.empty() && args[0] == "--has-window") {
#ifdef BESEDKA_WITH_GUI
        return 0;
#else
        return 1;
#endif
    }
    if (!args.empty() && args[0] == "chat") {
        return besedka::runChatCommand({args.begin() + 1, args.end()}, std::cin, std::cout,
                                       std::cerr, ::isatty(STDIN_FILENO) != 0);
    }
    if (!args.empty() && args[0] == "serve") {
        return besedka::runServeCommand({args.begin() + 1, args.end()}, std::cout, std::cerr);
    }
#ifdef BESEDKA_WITH_IRC
    if (!args.empty() && args[0] == "irc") {
        return besedka::runIrcCommand(argc, argv, {args.begin() + 1, args.end()}, kVersion);
    }
#endif
    if (!args.empty() && args[0] == "kb") {
#ifdef BESEDKA_WITH_GUI
        besedka::kb::setKnowledgeWindowStarter([&](const std::filesystem::path& workdir) {
            if (!choosePlatformForTheWindow()) {
                return 1;
            }
            return besedka::runKnowledgeWindow(argc, argv, besedka::PathMap(workdir));
        });
#endif
        // A reader that stops early (kb forget | head) must not kill a
        // command that has done its work: the status tells the outcome.
        std::signal(SIGPIPE, SIG_IGN);
        return besedka::runKbCommand({args.begin() + 1, args.end()}, std::cout, std::cerr);
    }
#ifdef BESEDKA_WITH_GUI
    return startWindow(argc, argv, args);
#else
    std::cerr << "besedka: the window is not built yet; use 'besedka chat'\n";
    return 2;
#endif
}

} // namespace

int main(int argc, char** argv) {
    besedka::keepLargeBlocksForReuse();
    // Whatever a step did not foresee ends the program with one line and
    // status 1, never with an abort.
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "besedka: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "besedka: unexpected failure\n";
    }
    return 1;
}

#include "irc_command.h"

#include "files/directory_lock.h"
#include "files/file_store.h"
#include "help_layout.h"
#include "hub/conversation_hub.h"
#include "hub/hub_thread.h"
#include "irc/bot_options.h"
#include "irc/hub_responder.h"
#include "irc/run_bot.h"
#include "start_options.h"
#include "talk/clock.h"

#include <algorithm>
#include <csignal>
#include <iostream>

namespace besedka {
namespace {

void logLine(const std::string& line) {
    std::cerr << "besedka irc: " << line << std::endl;
}

} // namespace

void printIrcHelp(std::ostream& out) {
    out << "Usage: besedka irc --server HOST[:PORT] [OPTION]... [WORKDIR]\n"
           "\n"
        << wrapped("",
                   "The bot in the rooms of an IRC network. It answers every private "
                   "message and, in its channels, the messages addressed to it "
                   "(\"NAME: text\" or \"NAME, text\"), each person's in a conversation "
                   "of their own, and learns from them as the chat does. Notices, "
                   "ignored nicks and a sender of more than 5 phrases in 10 seconds "
                   "(for a minute) get no answer. SIGTERM or SIGINT ends it: it says "
                   "QUIT and writes every open conversation to the dialogue log.",
                   0)
        << "\nOptions:\n";
    for (const irc::BotOptionHelp& option : irc::botOptionHelp()) {
        out << helpEntry(option.words, option.summary);
    }
    out << "\nExample:\n"
           "  besedka irc --server irc.example.org --channel '#besedka'\n";
}

int runIrcCommand(int& argc, char** argv, const std::vector<std::string>& args,
                  const std::string& version) {
    if (std::any_of(args.begin(), args.end(), asksForHelp)) {
        printIrcHelp(std::cout);
        return 0;
    }
    irc::BotOptions options;
    if (const auto problem = irc::parseBotOptions(args, options)) {
        std::cerr << "besedka irc: " << *problem << " (see besedka irc --help)\n";
        return 2;
    }
    irc::BotRun run;
    if (const auto problem = irc::prepareRun(options, "besedka " + version, logLine, run)) {
        std::cerr << "besedka irc: " << *problem << '\n';
        return 2;
    }
    StartOptions start;
    start.workdir = options.workdir;
    if (const auto problem = workdirProblem(start)) {
        std::cerr << "besedka irc: " << problem->message << '\n';
        return problem->status;
    }
    // A closed standard error must not end the bot.
    std::signal(SIGPIPE, SIG_IGN);
    const UnsharedLockListener unshared(
        [](const std::filesystem::path& directory) { logLine(unsharedLockNotice(directory)); });
    FileStore files(pathMapFor(start));
    files.setNotice(logLine);
    const auto clock = clockFromEnvironment();
    ConversationHub hub(files, *clock);
    HubThread owner(hub);
    irc::HubResponder responder(owner);
    logLine("working directory " + files.paths().workdir().string());
    return irc::runBot(argc, argv, run, responder, [&owner] { owner.stop(); });
}

} // namespace besedka

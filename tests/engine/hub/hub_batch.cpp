// Runs turns through a conversation hub, for the power-loss test: each line
// of standard input is "CONVERSATION<TAB>PHRASE" (UTF-8); an empty line ends a
// batch. At the end every open conversation ends with its log block, unless
// --leave-open (as a kill leaves them, so that the last batch's is the last
// change). Backs
// up the knowledge base before its first change, as the server does.
// Prints each reply: "CONVERSATION<TAB>SHOWN<TAB>REPLY[<TAB>learned]".
#include "files/backups.h"
#include "files/file_store.h"
#include "hub/conversation_hub.h"
#include "talk/clock.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace besedka;
    const bool leaveOpen = argc == 3 && std::string(argv[1]) == "--leave-open";
    if (argc != 2 && !leaveOpen) {
        std::cerr << "usage: besedka-hub-batch [--leave-open] WORKDIR < turns\n";
        return 2;
    }
    FileStore files{PathMap(argv[argc - 1])};
    backUpBeforeFirstWrite(files, [](const BackupProblem& problem) {
        std::cerr << problem.text << '\n';
    });
    const auto clock = clockFromEnvironment();
    ConversationHub hub(files, *clock);
    const auto now = std::chrono::steady_clock::now();
    std::vector<SayRequest> batch;
    int failures = 0;
    const auto run = [&] {
        for (const TurnOutcome& outcome : hub.runBatch(batch, now)) {
            if (outcome.error) {
                std::cerr << outcome.conversation << ": " << outcome.error->message << '\n';
                ++failures;
            } else {
                std::cout << outcome.conversation << '\t' << outcome.shown << '\t'
                          << outcome.reply << (outcome.learned ? "\tlearned" : "") << '\n';
            }
        }
        batch.clear();
    };
    std::string line;
    while (std::getline(std::cin, line)) {
        const auto tab = line.find('\t');
        if (tab == std::string::npos) {
            run();
            continue;
        }
        batch.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    run();
    if (leaveOpen) {
        return failures == 0 ? 0 : 1;
    }
    try {
        hub.endAll(now);
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        ++failures;
    }
    return failures == 0 ? 0 : 1;
}

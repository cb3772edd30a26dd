#include "chat_command.h"

#include "files/backups.h"
#include "files/directory_lock.h"
#include "files/file_error.h"
#include "files/file_store.h"
#include "start_options.h"
#include "talk/clock.h"
#include "talk/engine.h"
#include "talk/host.h"
#include "talk/phrase.h"
#include "text/cp1251.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>

namespace besedka {
namespace {

// Writes every line the engine adds to the dialogue pane, as UTF-8, and
// remembers why the output failed, if it did.
class PanePrinter final : public PaneObserver {
  public:
    explicit PanePrinter(std::ostream& out) : out_(out) {}
    // Kept until the step is over: the step holds the lock on Base, and a
    // reader that does not read must not keep every other session waiting.
    void paneLineAppended(const PaneLine& line) override {
        pending_ += cp1251ToUtf8(line.text);
        pending_ += '\n';
    }
    void paneLastLineRemoved() override {}
    void paneCleared() override {}

    // Writes the lines of the steps so far.
    void print() {
        if (failed_ || pending_.empty()) {
            pending_.clear();
            return;
        }
        errno = 0;
        out_ << pending_ << std::flush;
        pending_.clear();
        if (!out_) {
            failed_ = true;
            error_ = errno;
        }
    }

    // Checks the output once more at the end of the session.
    bool failed() {
        print();
        if (!failed_) {
            errno = 0;
            out_.flush();
            if (!out_) {
                failed_ = true;
                error_ = errno;
            }
        }
        return failed_;
    }
    std::string failure() const {
        return error_ == 0 ? "cannot write the output"
                           : std::string("cannot write the output: ") + std::strerror(error_);
    }

  private:
    std::ostream& out_;
    std::string pending_;
    bool failed_ = false;
    int error_ = 0;
};

class ChatHost final : public Host {
  public:
    explicit ChatHost(std::ostream& err) : err_(err) {}
    void playCue(Cue) override {}
    void clearInput() override {}
    void startClosing() override { farewell = true; }
    void waitingForKnowledgeBase(bool waiting) override {
        if (waiting) {
            err_ << "besedka chat: waiting for another besedka to finish with Base...\n"
                 << std::flush;
        }
    }
    bool farewell = false;

  private:
    std::ostream& err_;
};

bool hasReservedCharacter(std::string_view text) {
    return text.find_first_of("^_;") != std::string_view::npos;
}

// What a one-line input field can hold of an input line: the text up to its
// first CR, without the control characters that typing cannot enter (TAB can).
std::string_view firstLine(std::string_view line) {
    return line.substr(0, line.find('\r'));
}

// "/" and letters only (Latin or Cyrillic): a mistyped command, never a phrase.
bool looksLikeCommand(std::string_view input) {
    if (input.size() < 2 || input.front() != '/') {
        return false;
    }
    const std::string text = utf8ToCp1251(input.substr(1));
    return std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte >= 0xC0 ||
               byte == 0xA8 || byte == 0xB8;
    });
}

std::string withoutControlCharacters(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return static_cast<unsigned char>(c) >= 0x20 || c == '\t'; });
    return kept;
}

// One chat session over an engine; reports file errors and remembers them.
class ChatSession {
  public:
    ChatSession(Engine& engine, ChatHost& host, std::ostream& err, bool atTerminal)
        : engine_(engine), host_(host), err_(err), atTerminal_(atTerminal) {}

    // Handles one input line; returns false when the session ends.
    bool handle(const std::string& input);

    void exitWithLog() {
        guarded([&] { engine_.appendDialogueLog(engine_.clock().localNow()); });
    }

    bool failed() const { return failed_; }

    // The commands; each returns false when it ends the session.
    bool newDialogue() {
        engine_.newDialogue();
        confirm("Новый диалог.");
        return true;
    }
    bool undo() {
        const bool hadLines = engine_.dialogue().paneCount() > 0;
        engine_.undo();
        confirm(hadLines ? "Последняя строка удалена." : "Удалять нечего.");
        return true;
    }
    bool talkToItself() {
        engine_.switchToCpuCpu();
        confirm("Режим Cpu\\Cpu: /tick делает шаг разговора с собой.");
        return true;
    }
    bool talkToUser() {
        engine_.switchToCpuUser();
        confirm("Режим Cpu\\User.");
        return true;
    }
    bool selfTalkStep() {
        guarded([&] { engine_.selfTalkStep(); });
        return true;
    }
    bool endWithLog() {
        exitWithLog();
        return false;
    }
    bool endWithoutLog() { return false; }
    bool listCommands();

  private:
    // Told only to a person at a terminal: scripts see the same output as ever.
    void confirm(std::string_view text) {
        if (atTerminal_) {
            err_ << text << '\n';
        }
    }

    void sayLine(const std::string& input) {
        if (input.empty()) {
            return;
        }
        std::string phrase = utf8ToCp1251Dropping(input);
        if (phrase.empty()) {
            err_ << "besedka chat: nothing in that phrase can be written in Windows-1251; "
                    "nothing was sent\n";
            return;
        }
        if (phrase.size() > kLongestTypedPhrase) {
            phrase.resize(kLongestTypedPhrase);
        }
        if (hasReservedCharacter(phrase)) {
            err_ << "besedka chat: \"^\", \"_\" and \";\" are reserved; the phrase was not sent\n";
            return;
        }
        guarded([&] { engine_.say(phrase); });
    }

    template <typename Step> void guarded(Step step) {
        try {
            step();
        } catch (const FileError& error) {
            err_ << error.what() << '\n';
            failed_ = true;
        }
    }

    Engine& engine_;
    ChatHost& host_;
    std::ostream& err_;
    bool atTerminal_;
    bool failed_ = false;
};

struct ChatCommand {
    std::string_view name;
    std::string_view summary;
    bool (ChatSession::*run)();
};

// The commands, in the order that /help, the greeting and the help list them.
constexpr std::array<ChatCommand, 8> kChatCommands{{
    {"/new", "new dialogue: empty the dialogue and its transcript", &ChatSession::newDialogue},
    {"/undo", "delete the last line of the dialogue", &ChatSession::undo},
    {"/cpu", "self-talk mode (Cpu\\Cpu)", &ChatSession::talkToItself},
    {"/user", "back to talking with you (Cpu\\User)", &ChatSession::talkToUser},
    {"/tick", "one self-talk step through the exchange file D:\\Txt.Dat",
     &ChatSession::selfTalkStep},
    {"/exit", "write the dialogue log and end", &ChatSession::endWithLog},
    {"/quit", "end without the log", &ChatSession::endWithoutLog},
    {"/help", "list these commands", &ChatSession::listCommands},
}};

void printChatCommands(std::ostream& out) {
    out << "Commands:\n";
    for (const ChatCommand& command : kChatCommands) {
        out << "  " << command.name << std::string(8 - command.name.size(), ' ') << command.summary
            << '\n';
    }
}

bool ChatSession::listCommands() {
    printChatCommands(err_);
    return true;
}

bool ChatSession::handle(const std::string& input) {
    const auto command =
        std::find_if(kChatCommands.begin(), kChatCommands.end(),
                     [&input](const ChatCommand& known) { return known.name == input; });
    if (command != kChatCommands.end()) {
        if (!(this->*command->run)()) {
            return false;
        }
    } else if (looksLikeCommand(input)) {
        err_ << "besedka chat: unknown command " << input << "; /help lists the commands\n";
    } else {
        sayLine(input);
    }
    // A farewell ends the session whether typed or read in a self-talk step.
    if (host_.farewell) {
        exitWithLog();
        return false;
    }
    return true;
}

} // namespace

void printChatHelp(std::ostream& out) {
    out << "Usage: besedka chat [--workdir DIR] [--drive D=DIR]\n"
           "\n"
           "Chat in the terminal. Each line of standard input is one phrase (UTF-8, at most\n"
           "255 characters); every line of the dialogue goes to standard output. A farewell\n"
           "or the end of input ends the session and writes the dialogue log.\n"
           "\n";
    printChatCommands(out);
    out << "\n"
           "Options (also as --workdir=DIR and --drive=D=DIR):\n"
           "  --workdir DIR   run in DIR (default: the current directory when it holds Base,\n"
           "                  else ~/.local/share/besedka)\n"
           "  --drive D=DIR   map the Windows drive D: to DIR\n";
}

std::string chatCommandNames() {
    std::string names;
    for (const ChatCommand& command : kChatCommands) {
        names += names.empty() ? "" : " ";
        names += command.name;
    }
    return names;
}

int runChatCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err, bool greet) {
    if (std::any_of(args.begin(), args.end(), asksForHelp)) {
        printChatHelp(out);
        return 0;
    }
    StartOptions options;
    if (const auto problem = parseStartOptions(args, options)) {
        err << "besedka chat: " << *problem << " (see besedka chat --help)\n";
        return 2;
    }
    if (const auto problem = workdirProblem(options)) {
        err << "besedka chat: " << problem->message << '\n';
        return problem->status;
    }
    // A reader that goes away ends the output, not the process: the session
    // then ends as at the end of input, with the dialogue log written.
    std::signal(SIGPIPE, SIG_IGN);
    const UnsharedLockListener unshared([&err](const std::filesystem::path& directory) {
        err << "besedka chat: " << unsharedLockNotice(directory) << '\n';
    });
    FileStore files(pathMapFor(options));
    bool backupFailed = false; // the session goes on, but does not end as a success
    backUpBeforeFirstWrite(
        files,
        [&err, &backupFailed](const BackupProblem& problem) {
            err << "besedka chat: " << problem.text << '\n';
            backupFailed = true;
        },
        "перед: разговор");
    files.setNotice(
        [&err](const std::string& notice) { err << "besedka chat: " << notice << '\n'; });
    const auto clock = clockFromEnvironment();
    ChatHost host(err);
    Engine engine(files, *clock, host);
    PanePrinter printer(out);
    engine.dialogue().setObserver(&printer);
    ChatSession session(engine, host, err, greet);

    std::string line;
    bool running = true;
    std::size_t number = 0;
    const auto prompt = [&] {
        if (greet) {
            err << "Вы: " << std::flush;
        }
        return true;
    };
    if (greet) {
        err << "Введите фразу и нажмите Enter. Команды: " << chatCommandNames() << '\n';
    }
    // Once the replies cannot be written, the session ends as at the end of
    // input.
    while (running && !printer.failed() && prompt() && std::getline(in, line)) {
        ++number;
        const std::string_view typed = firstLine(line);
        if (firstInvalidUtf8(typed)) {
            err << "besedka chat: input line " << number
                << " is not valid UTF-8; nothing was sent\n";
            continue;
        }
        running = session.handle(withoutControlCharacters(typed));
    }
    if (running) {
        session.exitWithLog(); // end of input ends the session as /exit does
    }
    if (printer.failed()) {
        err << "besedka chat: " << printer.failure() << '\n';
        return 1;
    }
    return session.failed() || backupFailed ? 1 : 0;
}

} // namespace besedka

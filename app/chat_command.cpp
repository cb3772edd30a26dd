#include "chat_command.h"

#include "files/backups.h"
#include "files/file_error.h"
#include "files/file_store.h"
#include "start_options.h"
#include "talk/clock.h"
#include "talk/engine.h"
#include "talk/host.h"
#include "text/cp1251.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>

namespace besedka {
namespace {

constexpr std::size_t kInputLimit = 255; // the input field's limit

// Writes every line the engine adds to the dialogue pane, as UTF-8, and
// remembers why the output failed, if it did.
class PanePrinter final : public PaneObserver {
  public:
    explicit PanePrinter(std::ostream& out) : out_(out) {}
    void paneLineAppended(const PaneLine& line) override {
        if (failed_) {
            return;
        }
        errno = 0;
        out_ << cp1251ToUtf8(line.text) << '\n' << std::flush;
        if (!out_) {
            failed_ = true;
            error_ = errno;
        }
    }
    void paneLastLineRemoved() override {}
    void paneCleared() override {}

    // Checks the output once more at the end of the session.
    bool failed() {
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
    ChatSession(Engine& engine, ChatHost& host, std::ostream& err)
        : engine_(engine), host_(host), err_(err) {}

    // Handles one input line; returns false when the session ends.
    bool handle(const std::string& input) {
        if (input == "/quit") {
            return false;
        }
        if (input == "/exit") {
            exitWithLog();
            return false;
        }
        if (!runCommand(input)) {
            sayLine(input);
        }
        // A farewell ends the session whether typed or read in a self-talk step.
        if (host_.farewell) {
            exitWithLog();
            return false;
        }
        return true;
    }

    void exitWithLog() {
        guarded([&] { engine_.appendDialogueLog(engine_.clock().localNow()); });
    }

    bool failed() const { return failed_; }

  private:
    bool runCommand(const std::string& input) {
        if (input == "/new") {
            engine_.newDialogue();
        } else if (input == "/undo") {
            engine_.undo();
        } else if (input == "/cpu") {
            engine_.switchToCpuCpu();
        } else if (input == "/user") {
            engine_.switchToCpuUser();
        } else if (input == "/tick") {
            guarded([&] { engine_.selfTalkStep(); });
        } else {
            return false;
        }
        return true;
    }

    void sayLine(const std::string& input) {
        if (input.empty()) {
            return;
        }
        std::string phrase = utf8ToCp1251(input);
        if (phrase.size() > kInputLimit) {
            phrase.resize(kInputLimit);
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
            err_ << cp1251ToUtf8(error.what()) << '\n';
            failed_ = true;
        }
    }

    Engine& engine_;
    ChatHost& host_;
    std::ostream& err_;
    bool failed_ = false;
};

} // namespace

int runChatCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err, bool greet) {
    StartOptions options;
    if (const auto problem = parseStartOptions(args, options)) {
        err << "besedka chat: " << *problem << '\n';
        return 2;
    }
    if (options.workdir && !std::filesystem::is_directory(*options.workdir)) {
        err << "besedka chat: no such directory: " << options.workdir->string() << '\n';
        return 2;
    }
    FileStore files(pathMapFor(options));
    backUpBeforeFirstWrite(
        files, [&err](const std::string& problem) { err << "besedka chat: " << problem << '\n'; });
    const auto clock = clockFromEnvironment();
    ChatHost host(err);
    Engine engine(files, *clock, host);
    PanePrinter printer(out);
    engine.dialogue().setObserver(&printer);
    ChatSession session(engine, host, err);

    std::string line;
    bool running = true;
    std::size_t number = 0;
    const auto prompt = [&] {
        if (greet) {
            err << "> " << std::flush;
        }
        return true;
    };
    if (greet) {
        err << "Type a phrase and press Enter. Commands: /new /undo /cpu /user /tick /exit "
               "/quit\n";
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
    return session.failed() ? 1 : 0;
}

} // namespace besedka

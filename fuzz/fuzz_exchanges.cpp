// Builds a working directory in memory from the input (the tree, the reply
// lists, the exchange file) and runs a short sequence of exchanges, self-talk
// steps, undos, new dialogues, mode switches and idle ticks through the engine
// on a fake clock. Then: every file the engine wrote reads back, no line it
// added to a file holds a line break, and the tree has no more lines that
// break the grammar than it was given.

#include "files/file_error.h"
#include "files/file_store.h"
#include "files/kb_paths.h"
#include "files/string_list.h"
#include "talk/clock.h"
#include "talk/engine.h"
#include "talk/host.h"
#include "text/plain_text.h"
#include "text/rtf.h"
#include "text/russian.h"
#include "text/tree_line.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using besedka::FileError;

// Names the invariant that failed before aborting.
#define check(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "broken: %s (line %d)\n", #condition, __LINE__);                  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The program's files by their Windows names, letter case aside.
class MemoryStore final : public besedka::FileStore {
  public:
    MemoryStore() : FileStore(besedka::PathMap("/nonexistent/besedka-fuzz")) {}
    std::string read(std::string_view windowsPath) const override {
        const auto found = files_.find(key(windowsPath));
        if (found == files_.end()) {
            throw FileError(FileError::Operation::Open, std::string(windowsPath));
        }
        return found->second;
    }
    void write(std::string_view windowsPath, std::string_view bytes) const override {
        files_[key(windowsPath)] = std::string(bytes);
        written_.insert(key(windowsPath));
    }
    bool hasContent(std::string_view windowsPath, std::string_view bytes) const override {
        const auto found = files_.find(key(windowsPath));
        return found != files_.end() && found->second == bytes;
    }
    void put(std::string_view windowsPath, std::string bytes) { files_[key(windowsPath)] = bytes; }
    std::vector<std::string> lines(std::string_view windowsPath) const {
        const auto found = files_.find(key(windowsPath));
        return found == files_.end() ? std::vector<std::string>()
                                     : besedka::parseKnowledgeFile(found->second);
    }
    bool written(std::string_view windowsPath) const { return written_.count(key(windowsPath)); }

  private:
    static std::string key(std::string_view path) { return besedka::cyrillicUpper(path); }
    mutable std::map<std::string, std::string> files_;
    mutable std::set<std::string> written_;
};

class QuietHost final : public besedka::Host {
  public:
    void playCue(besedka::Cue) override {}
    void clearInput() override {}
    void startClosing() override {}
};

std::size_t brokenLines(const std::vector<std::string>& tree) {
    std::size_t broken = 0;
    for (std::size_t i = 1; i < tree.size(); ++i) {
        broken += besedka::treeLineProblem(tree[i]) ? 1 : 0;
    }
    return broken;
}

// The lines of `after` that `before` does not hold as many times.
std::vector<std::string> added(std::vector<std::string> before, std::vector<std::string> after) {
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    std::vector<std::string> lines;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(),
                        std::back_inserter(lines));
    return lines;
}

// A typed phrase: what the input field lets through.
std::string typed(FuzzedDataProvider& input) {
    std::string phrase = input.ConsumeRandomLengthString(64);
    phrase.erase(std::remove_if(phrase.begin(), phrase.end(),
                                [](char c) {
                                    return c == '^' || c == '_' || c == ';' ||
                                           static_cast<unsigned char>(c) < 0x20;
                                }),
                 phrase.end());
    return phrase;
}

void runSteps(besedka::Engine& engine, MemoryStore& files, FuzzedDataProvider& input) {
    for (int step = 0; step < 12 && input.remaining_bytes() > 0; ++step) {
        switch (input.ConsumeIntegralInRange<int>(0, 7)) {
        case 0:
        case 1:
            engine.say(typed(input));
            break;
        case 2:
            files.put(besedka::paths::kExchange, input.ConsumeRandomLengthString(64));
            engine.selfTalkStep();
            break;
        case 3:
            engine.undo();
            break;
        case 4:
            engine.newDialogue();
            break;
        case 5:
            engine.switchToCpuCpu();
            break;
        case 6:
            engine.switchToCpuUser();
            break;
        default:
            engine.idleTick();
            break;
        }
    }
    engine.appendDialogueLog(engine.clock().localNow());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace paths = besedka::paths;
    FuzzedDataProvider input(data, size);
    MemoryStore files;
    files.put(paths::kWords, input.ConsumeRandomLengthString(512));
    for (const char* list : paths::kReplyLists) {
        files.put(list, input.ConsumeRandomLengthString(128));
    }
    files.put(paths::kLog, "");
    std::map<std::string, std::vector<std::string>> before;
    for (const char* name : {paths::kWords, paths::kQuestions, paths::kStatements}) {
        before[name] = files.lines(name);
    }
    besedka::FakeClock clock(input.ConsumeIntegral<std::uint32_t>() % 86400000u);
    QuietHost host;
    besedka::Engine engine(files, clock, host);
    try {
        runSteps(engine, files, input);
    } catch (const FileError&) {
        // The exchange file was missing, for example: what was done stays.
    }
    for (const char* name : {paths::kWords, paths::kQuestions, paths::kStatements, paths::kLog}) {
        if (!files.written(name)) {
            continue;
        }
        const std::vector<std::string> now = files.lines(name);
        check(besedka::parseKnowledgeFile(besedka::writeRtf(now)) == now);
        for (const std::string& line : added(before[name], now)) {
            check(line.find_first_of("\r\n") == std::string::npos);
        }
    }
    if (files.written(paths::kWords)) {
        const std::vector<std::string> tree = files.lines(paths::kWords);
        check(brokenLines(tree) <= brokenLines(before[paths::kWords]));
        check(!tree.empty());
    }
    return 0;
}

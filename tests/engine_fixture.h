#pragma once

// A working directory in a temporary folder with an engine over it, for the
// engine tests. Texts are written and read as UTF-8 and stored as the program
// stores them (Windows-1251).

#include "files/file_store.h"
#include "files/string_list.h"
#include "talk/clock.h"
#include "talk/engine.h"
#include "talk/host.h"
#include "temp_dir.h"
#include "text/cp1251.h"
#include "text/plain_text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace besedka::test {

class RecordingHost final : public Host {
  public:
    void playCue(Cue cue) override { cues.push_back(cue); }
    void clearInput() override { ++inputClears; }
    void startClosing() override { ++closings; }
    std::vector<Cue> cues;
    int inputClears = 0;
    int closings = 0;
};

inline std::vector<std::string> toCp1251(const std::vector<std::string>& utf8Lines) {
    std::vector<std::string> lines;
    for (const auto& line : utf8Lines) {
        lines.push_back(utf8ToCp1251(line));
    }
    return lines;
}

inline std::vector<std::string> toUtf8(const std::vector<std::string>& lines) {
    std::vector<std::string> utf8;
    for (const auto& line : lines) {
        utf8.push_back(cp1251ToUtf8(line));
    }
    return utf8;
}

class EngineTest : public ::testing::Test {
  protected:
    // Milliseconds since midnight of the fake clock at the start; tests that
    // depend on random draws pick it.
    static constexpr std::uint32_t kDefaultClock = 0;

    EngineTest() : files_(PathMap(dir_.path())), clock_(kDefaultClock) {
        std::filesystem::create_directories(dir_.path() / "Base");
        std::filesystem::create_directories(dir_.path() / "D");
        for (const char* name : {"Pause.Dat", "Povtor.Dat", "X.Dat", "BigString.Dat", "W1.Dat",
                                 "W2.Dat", "Log.Halden"}) {
            writeLines(std::string("Base/") + name, {});
        }
        writeLines("Base/Words.Dat", {"header"});
    }

    // Writes UTF-8 lines as a plain Windows-1251 file with CR LF.
    void writeLines(const std::string& relative, const std::vector<std::string>& utf8Lines) {
        std::ofstream(dir_.path() / relative, std::ios::binary) << joinCrLf(toCp1251(utf8Lines));
    }

    // The lines of a knowledge-base file as UTF-8 (RTF or plain).
    std::vector<std::string> readLines(const std::string& relative) const {
        std::ifstream in(dir_.path() / relative, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        return toUtf8(parseKnowledgeFile(bytes));
    }

    std::string readBytes(const std::string& relative) const {
        std::ifstream in(dir_.path() / relative, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }

    // Starts the engine's clock anew at `ms` after midnight.
    void setClock(std::uint32_t ms) { clock_ = FakeClock(ms); }

    void say(const std::string& utf8) { engine_.say(utf8ToCp1251(utf8)); }

    std::vector<std::string> pane() const {
        std::vector<std::string> lines;
        for (const auto& line : engine_.dialogue().pane()) {
            lines.push_back(cp1251ToUtf8(line.text));
        }
        return lines;
    }

    std::vector<std::string> transcript() const { return toUtf8(engine_.dialogue().transcript()); }

    std::string reply() const { return cp1251ToUtf8(engine_.state().replyText); }

    TempDir dir_;
    FileStore files_;
    FakeClock clock_;
    RecordingHost host_;
    Engine engine_{files_, clock_, host_};
};

} // namespace besedka::test

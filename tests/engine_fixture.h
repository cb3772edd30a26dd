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

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace besedka::test {

class RecordingHost final : public Host {
  public:
    void playCue(Cue cue) override { cues.push_back(cue); }
    void clearInput() override { ++inputClears; }
    void startClosing() override { ++closings; }
    // What a scenario's set-up asked for is not the test's to see.
    void forget() {
        cues.clear();
        inputClears = 0;
        closings = 0;
    }
    std::vector<Cue> cues;
    int inputClears = 0;
    int closings = 0;
};

// The files under a directory, put back as they were when this goes: those
// written since get their old bytes again, those made since are removed.
class KeptFiles {
  public:
    explicit KeptFiles(std::filesystem::path directory) : directory_(std::move(directory)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(directory_)) {
            if (entry.is_regular_file()) {
                std::ifstream in(entry.path(), std::ios::binary);
                kept_.emplace_back(entry.path(),
                                   std::string((std::istreambuf_iterator<char>(in)), {}));
            }
        }
    }
    ~KeptFiles() {
        std::vector<std::filesystem::path> made;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(directory_)) {
            if (entry.is_regular_file() &&
                std::none_of(kept_.begin(), kept_.end(),
                             [&](const auto& file) { return file.first == entry.path(); })) {
                made.push_back(entry.path());
            }
        }
        for (const auto& path : made) {
            std::filesystem::remove(path);
        }
        for (const auto& [path, bytes] : kept_) {
            std::ofstream(path, std::ios::binary) << bytes;
        }
    }
    KeptFiles(const KeptFiles&) = delete;
    KeptFiles& operator=(const KeptFiles&) = delete;

  private:
    std::filesystem::path directory_;
    std::vector<std::pair<std::filesystem::path, std::string>> kept_;
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

    // Scenarios, each set up by what the engine does, with the knowledge base
    // put back afterwards and the host's record of it forgotten.

    // As if the last exchange of `engine` had replied `text`, with
    // `paneLines` more lines in the pane: a question that the tree does not
    // answer and that teaches nothing (it holds a character of the tree's
    // grammar) is answered from a question list holding only `text`, and its
    // lines leave the dialogue again. Any branch of the tree the walk was in
    // ends.
    void afterReply(Engine& engine, const std::string& text, int paneLines = 2) {
        ASSERT_EQ(engine.mode(), Mode::CpuUser) << "the phrase must be the typed one";
        Dialogue& dialogue = engine.dialogue();
        const std::size_t paneBefore = dialogue.paneCount();
        const std::size_t transcriptBefore = dialogue.transcript().size();
        const TextFormat formatBefore = dialogue.insertionFormat();
        {
            const KeptFiles base(dir_.path() / "Base");
            writeLines("Base/W1.Dat", {text});
            engine.say(";?");
        }
        while (dialogue.paneCount() > paneBefore) {
            dialogue.removeLastPaneLine();
        }
        while (dialogue.transcript().size() > transcriptBefore) {
            dialogue.removeLastTranscriptLine();
        }
        dialogue.setInsertionFormat(formatBefore);
        for (int i = 0; i < paneLines; ++i) {
            dialogue.appendToPane("line");
        }
        host_.forget();
    }
    void afterReply(const std::string& text, int paneLines = 2) {
        afterReply(engine_, text, paneLines);
    }

    // As if `ticks` idle-timer ticks had passed without a remark.
    void idleFor(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            EXPECT_FALSE(engine_.idleTick()) << "an idle remark came early";
        }
    }

    // Leaves the walk `depth` levels down a branch, its line the `depth`th
    // of a tree since replaced, in a new dialogue: the answers of a scratch
    // tree, one line a level, lead there.
    void walkIntoBranch(int depth) {
        {
            const KeptFiles base(dir_.path() / "Base");
            std::vector<std::string> tree{"header"};
            for (int level = 0; level < depth; ++level) {
                tree.push_back(std::string(static_cast<std::size_t>(level), '_') + "ВЕТКА " +
                               std::to_string(level) + "^Дальше.;");
            }
            writeLines("Base/Words.Dat", tree);
            for (int level = 0; level < depth; ++level) {
                say("ветка " + std::to_string(level));
            }
        }
        engine_.newDialogue();
        host_.forget();
    }

    // Leaves `marks` depth marks for the next tree line learned in a long
    // dialogue to add one to, as that many phrases learned before it would;
    // then a new dialogue starts.
    void growDepthMarks(int marks) {
        {
            const KeptFiles base(dir_.path() / "Base");
            for (int i = 0; i < marks; ++i) {
                afterReply("Ого.", 3); // a previous reply, and past the dialogue's first exchange
                say("глубже");
            }
        }
        engine_.newDialogue();
        host_.forget();
    }

    TempDir dir_;
    FileStore files_;
    FakeClock clock_;
    RecordingHost host_;
    Engine engine_{files_, clock_, host_};
};

} // namespace besedka::test

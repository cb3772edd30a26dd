// The check of a working directory: which files and tree lines it tells of,
// and which of them fail it.
#include "curation/check.h"

#include "engine_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace besedka::test {
namespace {

// A complete working directory: the engine's Base, the sounds and the history.
class Check : public EngineTest {
  protected:
    Check() {
        ::setenv("XDG_STATE_HOME", state_.path().c_str(), 1);
        std::filesystem::create_directories(dir_.path() / "Sound");
        for (const char* name : {"KeyBoard.wav", "Button1.wav", "Button2.wav", "Button3.wav",
                                 "CpuSound.wav", "Close.wav"}) {
            writeLines(std::string("Sound/") + name, {"RIFF"});
        }
        writeLines("ReadMe.Txt", {"v1"});
    }
    ~Check() override { ::unsetenv("XDG_STATE_HOME"); }

    CheckReport check() const { return checkWorkingDirectory(FileStore{PathMap(dir_.path())}); }

    TempDir state_;
};

// Broken lines are told before the suspicious ones, numbered as an editor
// counts; only the broken fail the check.
TEST_F(Check, FailsOnBrokenLinesAndOnlyTellsOfSuspiciousKeys) {
    writeLines("Base/Words.Dat", {"header", "ПРИВЕТ^Привет!;", ".^", "ПРИВЕТ Привет!;"});
    const CheckReport report = check();
    EXPECT_EQ(report.treeLines, 4u);
    EXPECT_EQ(report.broken, 1u);
    EXPECT_EQ(report.suspicious, 1u);
    EXPECT_FALSE(report.ok());
    ASSERT_EQ(report.findings.size(), 2u);
    EXPECT_EQ(report.findings[0].line, 4u);
    EXPECT_EQ(report.findings[1].line, 3u);
    EXPECT_TRUE(report.findings[1].message.starts_with("suspicious")) << report.findings[1].message;

    writeLines("Base/Words.Dat", {"header", "ПРИВЕТ^Привет!;", ".^"});
    EXPECT_TRUE(check().ok());
}

// An empty tree is what a power loss leaves of one never flushed: it fails
// the check, as a missing file does.
TEST_F(Check, FailsOnAnEmptyTreeAndOnAMissingFile) {
    writeLines("Base/Words.Dat", {});
    const CheckReport empty = check();
    EXPECT_EQ(empty.treeLines, 0u);
    ASSERT_EQ(empty.findings.size(), 1u);
    EXPECT_EQ(empty.findings[0].file, "Base\\Words.Dat");
    EXPECT_EQ(empty.findings[0].line, std::nullopt);
    EXPECT_TRUE(empty.findings[0].message.starts_with("empty")) << empty.findings[0].message;
    EXPECT_FALSE(empty.ok());

    writeLines("Base/Words.Dat", {"header"});
    std::filesystem::remove(dir_.path() / "Base" / "X.Dat");
    const CheckReport missing = check();
    EXPECT_EQ(missing.absent, 1u);
    EXPECT_FALSE(missing.ok());
}

} // namespace
} // namespace besedka::test

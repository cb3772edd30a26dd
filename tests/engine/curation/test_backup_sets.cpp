// A working directory's backups as kb backups lists them and kb restore
// names them.
#include "curation/backup_sets.h"

#include "curation/curation_error.h"
#include "engine_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace besedka::test {
namespace {

class BackupSets : public ::testing::Test {
  protected:
    BackupSets() { ::setenv("XDG_STATE_HOME", state_.path().c_str(), 1); }
    ~BackupSets() override { ::unsetenv("XDG_STATE_HOME"); }

    // A backup of a tree of `lines` lines under `stamp`, made by hand.
    void addBackup(const std::string& stamp, std::size_t lines) const {
        const auto backup = backupFolderOf(workdir_.path()) / stamp;
        std::filesystem::create_directories(backup);
        std::ofstream(backup / "Words.Dat", std::ios::binary) << std::string(lines, '\n');
    }

    std::string named(const std::string& given) const {
        return backupNamedBy(workdir_.path(), given);
    }
    // Why `given` names no backup; empty when it names one.
    std::string refusal(const std::string& given) const {
        try {
            named(given);
        } catch (const CurationError& error) {
            return error.what();
        }
        return {};
    }

    TempDir state_;
    TempDir workdir_;
};

// The number, not the time, orders backups: a clock set back must not make
// the newest pass for an old one.
TEST_F(BackupSets, ListsOldestFirstByNumberAndNamesOneByItsStart) {
    addBackup("2026-12-08_09-00-00Z-9", 2);
    addBackup("2026-12-07_23-00-00Z-10", 3);
    const auto summaries = backupSummaries(backupFolderOf(workdir_.path()));
    ASSERT_EQ(summaries.size(), 2u);
    EXPECT_EQ(summaries[0].stamp, "2026-12-08_09-00-00Z-9");
    EXPECT_EQ(summaries[0].treeLines, 2u);
    EXPECT_EQ(summaries[1].files, 1u);

    EXPECT_EQ(named("latest"), "2026-12-07_23-00-00Z-10");
    EXPECT_EQ(named("2026-12-08"), "2026-12-08_09-00-00Z-9");
    EXPECT_EQ(named("2026-12-07_23-00-00Z-10"), "2026-12-07_23-00-00Z-10");
}

TEST_F(BackupSets, RefusesAStartThatNamesSeveralOrNone) {
    EXPECT_NE(refusal("latest").find("no backups yet"), std::string::npos);
    addBackup("2026-12-07_12-00-00Z-1", 1);
    addBackup("2026-12-07_13-00-00Z-2", 1);
    EXPECT_NE(refusal("2026-12-07").find("begins 2 backups"), std::string::npos);
    EXPECT_NE(refusal("2026-12-07_14").find("no backup 2026-12-07_14"), std::string::npos);
}

} // namespace
} // namespace besedka::test

#include "engine/files/file_contents.h"
#include "files/atomic_file.h"
#include "files/backup_record.h"
#include "files/base_change.h"
#include "files/restore_journal.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace besedka {
namespace {

namespace fs = std::filesystem;
using test::contentsOf;
using test::TempDir;

void write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// A backup folder holding `files` and their record.
fs::path backupOf(const fs::path& folder, const FileBytes& files) {
    fs::create_directories(folder);
    BackupRecord record;
    for (const auto& [name, bytes] : files) {
        write(folder / name, bytes);
        record.add(name, bytes);
    }
    writeBackupRecord(folder, record);
    return folder;
}

TEST(BackupRecord, NamesEveryWayACopyDiffersFromWhatWasTaken) {
    TempDir dir;
    const fs::path backup = backupOf(dir.path() / "b", {{"Words.Dat", "tree"}, {"X.Dat", "x"}});
    const auto record = readBackupRecord(backup);
    ASSERT_TRUE(record);
    EXPECT_FALSE(backupFault(record, {{"Words.Dat", "tree"}, {"X.Dat", "x"}}));
    // Same size, other bytes: only the sum tells (a file zeroed by a power loss).
    EXPECT_TRUE(backupFault(record, {{"Words.Dat", std::string(4, '\0')}, {"X.Dat", "x"}}));
    EXPECT_TRUE(backupFault(record, {{"Words.Dat", "tre"}, {"X.Dat", "x"}}));
    EXPECT_TRUE(backupFault(record, {{"Words.Dat", "tree"}}));
    EXPECT_TRUE(backupFault(record, {{"Words.Dat", "tree"}, {"X.Dat", "x"}, {"Y.Dat", "y"}}));
    EXPECT_FALSE(backupSizeFault(backup));
    write(backup / "X.Dat", "");
    EXPECT_TRUE(backupSizeFault(backup));
}

TEST(BackupRecord, AnOlderVersionsRecordOfSizesStillCounts) {
    TempDir dir;
    fs::create_directories(dir.path() / "b");
    write(dir.path() / "b" / ".sizes", "4 Words.Dat\n");
    const auto record = readBackupRecord(dir.path() / "b");
    ASSERT_TRUE(record);
    EXPECT_FALSE(backupFault(record, {{"Words.Dat", "tree"}}));
    EXPECT_TRUE(backupFault(record, {{"Words.Dat", "tre"}}));
    // No record at all: a copy is checked by loading it.
    EXPECT_TRUE(backupFault(std::nullopt, {{"X.Dat", std::string("a\0b\r\n", 5)}}));
}

struct RestoreJournal : ::testing::Test {
    TempDir dir;
    fs::path base = dir.path() / "Base";
    fs::path folder = dir.path() / "backups";
    fs::path wanted = backupOf(folder / "wanted", {{"Words.Dat", "old tree"}, {"X.Dat", "old"}});

    void SetUp() override {
        fs::create_directories(base);
        write(base / "Words.Dat", "new tree");
        write(base / "X.Dat", "new");
    }
};

TEST_F(RestoreJournal, PutsTheBackupInPlaceAndLeavesNoJournal) {
    const auto failure = putBackupInPlace(readBackupFiles(wanted), wanted, base,
                                          [&] { return backupOf(folder / "undo", {}); });
    EXPECT_FALSE(failure);
    EXPECT_EQ(contentsOf(base / "Words.Dat"), "old tree");
    EXPECT_EQ(contentsOf(base / "X.Dat"), "old");
    EXPECT_FALSE(unfinishedRestore(folder));
}

TEST_F(RestoreJournal, NothingIsWrittenWhenTheBackupFirstFailsOrTheCopyIsDamaged) {
    const auto refuse = []() -> fs::path { throw std::runtime_error("no room for a backup"); };
    EXPECT_THROW(putBackupInPlace(readBackupFiles(wanted), wanted, base, refuse),
                 std::runtime_error);
    write(wanted / "X.Dat", "odd");
    EXPECT_THROW(putBackupInPlace(readBackupFiles(wanted), wanted, base,
                                  [&] { return backupOf(folder / "undo", {}); }),
                 DamagedBackup);
    EXPECT_EQ(contentsOf(base / "Words.Dat"), "new tree");
    EXPECT_EQ(contentsOf(base / "X.Dat"), "new");
    EXPECT_FALSE(unfinishedRestore(folder));
}

TEST_F(RestoreJournal, AFailedFilePutsBaseBackAsItWas) {
    fs::remove(base / "X.Dat");
    fs::create_directory(base / "X.Dat"); // cannot be replaced by a file
    const auto undo = [&] { return backupOf(folder / "undo", {{"Words.Dat", "new tree"}}); };
    const auto failure = putBackupInPlace(readBackupFiles(wanted), wanted, base, undo);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, "X.Dat");
    EXPECT_TRUE(failure->putBack);
    EXPECT_EQ(contentsOf(base / "Words.Dat"), "new tree");
    EXPECT_FALSE(unfinishedRestore(folder));
}

// A change of several files: none is renamed until every one is written, and
// a journal on the disk is the change made.
struct ChangeOfBase : RestoreJournal {
    bool leftAnything() const {
        return std::any_of(
            fs::directory_iterator(base), fs::directory_iterator(),
            [](const auto& entry) { return entry.path().filename().string().starts_with('.'); });
    }
    std::vector<FileChange> change() const {
        return {{base / "Words.Dat", "newer tree", {}, "Words.Dat"},
                {base / "X.Dat", "newer", {}, "X.Dat"}};
    }
};

TEST_F(ChangeOfBase, AFileThatCannotBeWrittenChangesNoneAndLeavesNothing) {
    fs::remove(base / "X.Dat");
    fs::create_directory(base / "X.Dat");
    const auto failure = changeFilesTogether(base, change());
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, "X.Dat");
    EXPECT_TRUE(failure->putBack);
    EXPECT_EQ(contentsOf(base / "Words.Dat"), "new tree");
    fs::remove(base / "X.Dat");
    EXPECT_FALSE(leftAnything());
    EXPECT_FALSE(changeFilesTogether(base, change()));
    EXPECT_EQ(contentsOf(base / "X.Dat"), "newer");
    EXPECT_FALSE(leftAnything());
}

// As a run killed between two renames leaves it: one new file in place, the
// other beside its target, the journal naming both.
TEST_F(ChangeOfBase, AJournalIsFinishedAndOneCutShortOrForeignRenamesNothing) {
    write(base / ".Words.Dat.besedka-a1b2c3", "newer tree");
    write(base / "X.Dat", "newer");
    const std::string journal =
        "Words.Dat/.Words.Dat.besedka-a1b2c3\nX.Dat/.X.Dat.besedka-d4e5f6\n";
    write(base / ".change", journal.substr(0, journal.size() - 1));
    EXPECT_FALSE(finishUnfinishedChange(base));
    EXPECT_EQ(contentsOf(base / "Words.Dat"), "new tree") << "a journal cut short changes nothing";
    EXPECT_FALSE(fs::exists(base / ".change"));
    for (const std::string planted : {"../Words.Dat/.Words.Dat.besedka-a1b2c3\n",
                                      "X.Dat/.Words.Dat.besedka-a1b2c3\n", "X.Dat/../payload\n"}) {
        write(base / ".change", planted);
        EXPECT_FALSE(finishUnfinishedChange(base));
        EXPECT_EQ(contentsOf(base / "X.Dat"), "newer") << planted;
        EXPECT_FALSE(fs::exists(base / ".change"));
    }
    write(base / ".change", journal);
    EXPECT_TRUE(hasUnfinishedChange(base));
    EXPECT_FALSE(finishUnfinishedChange(base));
    EXPECT_EQ(contentsOf(base / "Words.Dat"), "newer tree");
    EXPECT_EQ(contentsOf(base / "X.Dat"), "newer");
    EXPECT_FALSE(leftAnything());
}

} // namespace
} // namespace besedka

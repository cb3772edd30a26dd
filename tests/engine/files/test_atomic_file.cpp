#include "engine/files/file_contents.h"
#include "files/atomic_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

namespace besedka {
namespace {

namespace fs = std::filesystem;
using test::contentsOf;
using test::TempDir;

std::size_t entriesIn(const fs::path& directory) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

TEST(AtomicFile, ReplacesTheFileKeepingItsModeAndLeavesNoTemporary) {
    TempDir dir;
    const fs::path file = dir.path() / "Words.Dat";
    std::ofstream(file) << "old";
    ::chmod(file.c_str(), 0640);

    EXPECT_FALSE(writeFileAtomically(file, "new"));
    EXPECT_EQ(contentsOf(file), "new");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

TEST(AtomicFile, WritesThroughALinkAndRefusesADirectory) {
    TempDir dir;
    const fs::path target = dir.path() / "target.Dat";
    std::ofstream(target) << "old";
    fs::create_symlink("target.Dat", dir.path() / "link.Dat");

    EXPECT_FALSE(writeFileAtomically(dir.path() / "link.Dat", "new"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.Dat"));
    EXPECT_EQ(contentsOf(target), "new");

    fs::create_directory(dir.path() / "folder.Dat");
    EXPECT_TRUE(writeFileAtomically(dir.path() / "folder.Dat", "new"));
    EXPECT_TRUE(fs::is_directory(dir.path() / "folder.Dat"));
    EXPECT_EQ(entriesIn(dir.path()), 3u); // no temporary left by the refusal
}

TEST(AtomicFile, ReadingAFifoNeitherWaitsNorReads) {
    TempDir dir;
    const fs::path fifo = dir.path() / "Words.Dat";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::error_code reason;
    EXPECT_FALSE(readWholeFile(fifo, reason));
    EXPECT_TRUE(reason);
}

TEST(AtomicFile, LeftoverTemporariesGoButAnotherToolsFreshOneStays) {
    TempDir dir;
    const fs::path file = dir.path() / "Words.Dat";
    std::ofstream(file) << "tree";
    std::ofstream(dir.path() / ".Words.Dat.besedka-AbC123") << "ours, half written";
    std::ofstream(dir.path() / ".Words.Dat.XyZ789") << "rsync may still write this";
    std::ofstream(dir.path() / ".Words.Dat.Old456") << "an earlier version's, long dead";
    fs::last_write_time(dir.path() / ".Words.Dat.Old456",
                        fs::file_time_type::clock::now() - std::chrono::hours(24 * 30));
    std::ofstream(dir.path() / ".hidden") << "mine";

    EXPECT_EQ(removeLeftoverTemporaries(dir.path()), 2u);
    EXPECT_FALSE(fs::exists(dir.path() / ".Words.Dat.besedka-AbC123"));
    EXPECT_FALSE(fs::exists(dir.path() / ".Words.Dat.Old456"));
    EXPECT_TRUE(fs::exists(dir.path() / ".Words.Dat.XyZ789"));
    EXPECT_TRUE(fs::exists(dir.path() / ".hidden"));
    EXPECT_EQ(contentsOf(file), "tree");
}

} // namespace
} // namespace besedka

#include "engine_fixture.h"
#include "files/file_error.h"
#include "files/path_map.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace besedka {
namespace {

using test::TempDir;

void touch(const std::filesystem::path& path) {
    std::ofstream(path) << "x";
}

TEST(PathMap, MatchesEachComponentRegardlessOfCase) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Base");
    touch(dir.path() / "Base" / "Words.Dat");
    const PathMap paths(dir.path());
    EXPECT_EQ(paths.resolve("Base\\Words.Dat"), dir.path() / "Base" / "Words.Dat");
    EXPECT_EQ(paths.resolve("Base\\Words.dat"), dir.path() / "Base" / "Words.Dat");
    EXPECT_EQ(paths.resolve("BASE/WORDS.DAT"), dir.path() / "Base" / "Words.Dat");
    // A file that does not exist yet keeps the name as given.
    EXPECT_EQ(paths.resolve("base\\New.Dat"), dir.path() / "Base" / "New.Dat");
}

TEST(PathMap, CyrillicNamesMatchRegardlessOfCase) {
    TempDir dir;
    touch(dir.path() / "Файл.txt");
    const PathMap paths(dir.path());
    EXPECT_EQ(paths.resolve(utf8ToCp1251("ФАЙЛ.TXT")), dir.path() / "Файл.txt");
}

TEST(PathMap, DriveLettersMapToOptionEnvironmentOrFolder) {
    TempDir dir;
    TempDir elsewhere;
    std::filesystem::create_directories(dir.path() / "D");
    touch(dir.path() / "D" / "Txt.Dat");

    PathMap byFolder(dir.path());
    EXPECT_EQ(byFolder.resolve("D:\\Txt.Dat"), dir.path() / "D" / "Txt.Dat");
    EXPECT_EQ(byFolder.resolve("d:\\txt.dat"), dir.path() / "D" / "Txt.Dat");

    ::setenv("BESEDKA_DRIVE_D", elsewhere.path().c_str(), 1);
    PathMap byEnvironment(dir.path());
    byEnvironment.addDrivesFromEnvironment();
    EXPECT_EQ(byEnvironment.resolve("D:\\Txt.Dat"), elsewhere.path() / "Txt.Dat");

    PathMap byOption(dir.path());
    byOption.setDrive('d', dir.path());
    byOption.addDrivesFromEnvironment(); // the option wins over the environment
    EXPECT_EQ(byOption.resolve("D:\\D\\Txt.Dat"), dir.path() / "D" / "Txt.Dat");
    ::unsetenv("BESEDKA_DRIVE_D");
}

TEST(PathMap, DriveOptionParsing) {
    char letter = 0;
    std::string directory;
    EXPECT_TRUE(parseDriveOption("d=/tmp/x", letter, directory));
    EXPECT_EQ(letter, 'D');
    EXPECT_EQ(directory, "/tmp/x");
    EXPECT_FALSE(parseDriveOption("D:/tmp", letter, directory));
    EXPECT_FALSE(parseDriveOption("1=/tmp", letter, directory));
    EXPECT_FALSE(parseDriveOption("D=", letter, directory));
}

TEST(FileStore, MissingFileAndDirectoryReportTheProgramsName) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Base" / "Dir.Dat");
    const FileStore files{PathMap(dir.path())};
    try {
        files.read("Base\\X.Dat");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "Cannot open file Base\\X.Dat: No such file or directory");
    }
    EXPECT_THROW(files.read("Base\\Dir.Dat"), FileError);
    try {
        files.write("Base\\Dir.Dat", "x");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "Cannot create file Base\\Dir.Dat: Is a directory");
    }
}

// The message is UTF-8 for the terminal and the windows; the name stays the
// program's own, in Windows-1251.
TEST(FileStore, AFileErrorTellsACyrillicNameInUtf8) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "Base");
    const FileStore files{PathMap(dir.path())};
    const std::string name = "Base\\\xD1\xEB\xEE\xE2\xE0.Dat"; // "Слова"
    try {
        files.read(name);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.kind(), Error::Kind::File);
        EXPECT_STREQ(error.what(), "Cannot open file Base\\Слова.Dat: No such file or directory");
        EXPECT_EQ(error.path(), name);
        EXPECT_EQ(error.operation(), FileError::Operation::Open);
    }
}

} // namespace
} // namespace besedka

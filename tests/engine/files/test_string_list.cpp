#include "engine_fixture.h"
#include "files/file_error.h"
#include "files/file_store.h"
#include "files/path_map.h"
#include "files/string_list.h"
#include "text/plain_text.h"
#include "text/rtf.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace besedka {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using test::TempDir;
using test::toCp1251;

// A knowledge-base directory in a temporary folder.
class StringListFiles : public ::testing::Test {
  protected:
    StringListFiles() { fs::create_directory(dir_.path() / "Base"); }

    void writeRaw(const std::string& name, std::string_view bytes) const {
        std::ofstream file(dir_.path() / "Base" / name, std::ios::binary);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string readRaw(const std::string& name) const {
        std::ifstream file(dir_.path() / "Base" / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    Lines load(std::string_view windowsPath) const {
        StringList list;
        list.load(files_, windowsPath);
        return list.lines();
    }
    std::size_t entriesInBase() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir_.path() / "Base"), fs::directory_iterator()));
    }

    // A killed save leaves its temporary file behind.
    void removeKilledTemporaries() const {
        for (const auto& entry : fs::directory_iterator(dir_.path() / "Base")) {
            if (entry.path().filename().string().starts_with(".")) {
                fs::remove(entry.path());
            }
        }
    }

    TempDir dir_;
    FileStore files_{PathMap(dir_.path())};
};

TEST_F(StringListFiles, PlainTextLineBreakForms) {
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"a\r\nb\r\nc", {"a", "b", "c"}},
        {"a\nb\nc\n", {"a", "b", "c"}},
        {"a\rb\rc\r", {"a", "b", "c"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\n", {""}},
        {"", {}},
    };
    for (const auto& [bytes, lines] : cases) {
        writeRaw("Pause.Dat", bytes);
        EXPECT_EQ(load("Base\\Pause.Dat"), lines) << ::testing::PrintToString(bytes);
    }
}

TEST_F(StringListFiles, PlainAndRtfFormsLoadAlike) {
    const Lines lines = toCp1251({"Привет!", "", "__КАК ДЕЛА?^Хорошо.;Нормально!;"});
    writeRaw("Plain.Dat", "\xCF\xF0\xE8\xE2\xE5\xF2!\r\n\r\n__\xCA\xC0\xCA \xC4\xC5\xCB\xC0?^"
                          "\xD5\xEE\xF0\xEE\xF8\xEE.;\xCD\xEE\xF0\xEC\xE0\xEB\xFC\xED\xEE!;\r\n");
    writeRaw("Rich.Dat", writeRtf(lines));
    EXPECT_EQ(load("Base\\Plain.Dat"), lines);
    EXPECT_EQ(load("Base\\Rich.Dat"), lines);
    // A text that merely mentions RTF further on is plain.
    writeRaw("Mention.Dat", "see {\\rtf1}\r\n");
    EXPECT_EQ(load("Base\\Mention.Dat"), Lines{"see {\\rtf1}"});
}

TEST_F(StringListFiles, PlainUtf8FilesAreReadAsWhatTheySay) {
    const Lines lines = toCp1251({"Привет, ёжик!", "", "Смайлик ?"});
    for (const std::string_view bytes :
         {"Привет, ёжик!\r\n\r\nСмайлик 😀\r\n", "\xEF\xBB\xBFПривет, ёжик!\n\nСмайлик 😀"}) {
        writeRaw("Utf8.Dat", bytes);
        EXPECT_EQ(load("Base\\Utf8.Dat"), lines);
    }
    // Windows-1251 text, even one that starts like UTF-8, and ASCII read as
    // they are; a file read as UTF-8 is saved as RTF like any other.
    const Lines cp1251 = {"\xD0\x9F\xF0\xE8", "plain ASCII"};
    writeRaw("Cp1251.Dat", joinCrLf(cp1251));
    EXPECT_EQ(load("Base\\Cp1251.Dat"), cp1251);
    // UTF-8 damaged in one byte stays UTF-8, the byte a "?".
    writeRaw("Damaged.Dat", "Привет, как дела? Что нового у тебя\xFF сегодня?\r\n");
    EXPECT_EQ(load("Base\\Damaged.Dat"),
              toCp1251({"Привет, как дела? Что нового у тебя? сегодня?"}));
    StringList list;
    list.load(files_, "Base\\Utf8.Dat");
    list.save(files_, "Base\\Utf8.Dat");
    EXPECT_TRUE(readRaw("Utf8.Dat").starts_with("{\\rtf1"));
    EXPECT_EQ(load("Base\\Utf8.Dat"), lines);
}

TEST_F(StringListFiles, SaveWritesRtfThatLoadsBack) {
    writeRaw("Words.Dat", "old\r\n");
    const StringList saved(toCp1251({"", "КЛЮЧ^Ответ;", "", "{\\}\tвсё"}));
    saved.save(files_, "Base\\Words.dat");
    EXPECT_TRUE(readRaw("Words.Dat").starts_with("{\\rtf1"));
    EXPECT_EQ(load("Base\\WORDS.DAT"), saved.lines());
    EXPECT_EQ(entriesInBase(), 1u); // no temporary file left behind
}

TEST_F(StringListFiles, MissingFileFailsToOpen) {
    try {
        load("Base\\Nope.Dat");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "Cannot open file Base\\Nope.Dat: No such file or directory");
    }
}

void expectCreateError(const FileStore& files, const std::string& path, const std::string& reason) {
    try {
        StringList(Lines{"new"}).save(files, path);
        FAIL() << "no error for " << path;
    } catch (const FileError& error) {
        EXPECT_EQ(error.operation(), FileError::Operation::Create);
        EXPECT_EQ(std::string(error.what()), "Cannot create file " + path + ": " + reason);
    }
}

TEST_F(StringListFiles, SaveWhereNoFileCanBeFails) {
    // The parent is a regular file, or the path is a directory: both fail even
    // for root, which file permissions do not stop.
    writeRaw("Words.Dat", "old\r\n");
    expectCreateError(files_, "Base\\Words.Dat\\Inner.Dat", "Not a directory");
    fs::create_directory(dir_.path() / "Base" / "Dir.Dat");
    expectCreateError(files_, "Base\\Dir.Dat", "Is a directory");
    EXPECT_EQ(readRaw("Words.Dat"), "old\r\n");
    EXPECT_TRUE(fs::is_directory(dir_.path() / "Base" / "Dir.Dat"));
    EXPECT_EQ(entriesInBase(), 2u);
}

// A list large enough that saving it takes a while.
Lines bigList(char seed, std::size_t count) {
    Lines lines;
    for (std::size_t i = 0; i < count; ++i) {
        lines.push_back(std::string(1, seed) + "_\xCA\xC0\xCA \xC4\xC5\xCB\xC0 " +
                        std::to_string(i) + "?^\xD5\xEE\xF0\xEE\xF8\xEE.;");
    }
    return lines;
}

TEST_F(StringListFiles, FailedWriteKeepsTheOldFile) {
    // A file-size limit makes the write fail half-way, as a full disk would.
    writeRaw("Words.Dat", "old\r\n");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            StringList(bigList('a', 2000)).save(files_, "Base\\Words.Dat");
        } catch (const FileError& error) {
            ::_exit(error.operation() == FileError::Operation::Create ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the save did not fail";
    EXPECT_EQ(readRaw("Words.Dat"), "old\r\n");
    EXPECT_EQ(entriesInBase(), 1u);
}

TEST_F(StringListFiles, SaveKilledAtAnyMomentLeavesOldOrNewLines) {
    const Lines first = bigList('a', 3000);
    const Lines second = bigList('b', 4500);
    // Kill moments spread over about one save of each list, counted from the
    // end of a random number of saves, so that however slow the disk, the
    // kills land both during and between saves of either list.
    const auto saveStart = std::chrono::steady_clock::now();
    StringList(second).save(files_, "Base\\Words.Dat");
    StringList(first).save(files_, "Base\\Words.Dat");
    const auto cycle = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - saveStart);
    std::mt19937 random(1049);
    std::uniform_int_distribution<std::int64_t> killMoment(0, cycle.count());
    int seenFirst = 0;
    int seenSecond = 0;
    for (int round = 0; round < 200; ++round) {
        int saved[2];
        ASSERT_EQ(::pipe(saved), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const StringList lists[] = {StringList(second), StringList(first)};
            for (int i = 0;; i ^= 1) {
                lists[i].save(files_, "Base\\Words.Dat");
                (void)!::write(saved[1], "s", 1);
            }
        }
        ::close(saved[1]);
        char byte = 0;
        for (int saves = round % 3; saves > 0; --saves) {
            ASSERT_EQ(::read(saved[0], &byte, 1), 1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(killMoment(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        ::close(saved[0]);
        removeKilledTemporaries();
        const Lines loaded = load("Base\\Words.Dat");
        if (loaded == first) {
            ++seenFirst;
        } else if (loaded == second) {
            ++seenSecond;
        } else {
            FAIL() << "round " << round << ": " << loaded.size() << " lines";
        }
    }
    // The kills hit the child both before and after its saves completed.
    EXPECT_GT(seenFirst, 0);
    EXPECT_GT(seenSecond, 0);
}

} // namespace
} // namespace besedka

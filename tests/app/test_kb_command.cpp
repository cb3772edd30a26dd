#include "kb/command.h"

#include "chat_command.h"
#include "curation/curation_error.h"
#include "curation/forget.h"
#include "files/backups.h"

#include "engine_fixture.h"
#include "files/string_list.h"
#include "talk/phrase.h"
#include "talk/word_lists.h"
#include "text/cp1251.h"
#include "text/plain_text.h"
#include "text/rtf.h"
#include "text/tree_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace besedka {
namespace {
namespace fs = std::filesystem;
using test::TempDir;
using test::toCp1251;

const fs::path kDataDir = fs::path(BESEDKA_SOURCE_DIR) / "data";

struct KbRun {
    int status = 0;
    std::string out;
    std::string err;
};

KbRun kb(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runKbCommand(args, out, err);
    return {status, out.str(), err.str()};
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t countLines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A complete working directory whose tree holds `treeLines` (UTF-8), some
// names in other letter cases as a copied Windows folder may have them.
void makeWorkdir(const fs::path& dir, const std::vector<std::string>& treeLines) {
    writeBytes(dir / "base" / "WORDS.DAT", joinCrLf(toCp1251(treeLines)));
    for (const char* name :
         {"Pause.Dat", "Povtor.Dat", "X.Dat", "BigString.Dat", "W1.Dat", "W2.Dat"}) {
        writeBytes(dir / "base" / name, utf8ToCp1251("Ответ.\r\n"));
    }
    writeBytes(dir / "base" / "Log.Halden", "");
    for (const char* name :
         {"KeyBoard.wav", "Button1.wav", "Button2.wav", "Button3.wav", "CpuSound.wav"}) {
        writeBytes(dir / "Sound" / name, "RIFF");
    }
    writeBytes(dir / "Sound" / "close.WAV", "RIFF");
    writeBytes(dir / "readme.txt", "v1\r\n");
}

const std::vector<std::string> kGoodTree = {
    "Заголовок без разметки",
    "ПРИВЕТ^Привет!;Здравствуй.;",
    "_КАК ДЕЛА?^Хорошо.;",
    "__А У ТЕБЯ^Тоже.;",
    "ПОКА^",
};

TEST(KbLines, PrintsRtfAndPlainFilesAsTheSameUtf8Lines) {
    const TempDir dir;
    const std::vector<std::string> lines = {"ПРИВЕТ^Привет!;", "", "Ёлка, «кавычки» — тире"};
    writeBytes(dir.path() / "tree.rtf", writeRtf(toCp1251(lines)));
    writeBytes(dir.path() / "tree.txt", joinCrLf(toCp1251(lines)));
    writeBytes(dir.path() / "tree.utf8", joinCrLf(lines));
    const std::string expected = "ПРИВЕТ^Привет!;\n\nЁлка, «кавычки» — тире\n";

    for (const char* name : {"tree.rtf", "tree.txt", "tree.utf8"}) {
        const KbRun run = kb({"lines", (dir.path() / name).string()});
        EXPECT_EQ(run.status, 0) << name;
        EXPECT_EQ(run.out, expected) << name;
        EXPECT_EQ(run.err, "") << name;
    }
}

TEST(KbFromText, WritesRtfThatReadsBackAsTheSameLines) {
    const TempDir dir;
    const fs::path in = dir.path() / "in.txt";
    const fs::path out = dir.path() / "Words.Dat";
    // A byte-order mark, all three line breaks and a final break.
    writeBytes(in, "\xEF\xBB\xBFЗаголовок\r\nПРИВЕТ^Привет!;\nЁЖ^Ёжик.;\r\r\n");

    const KbRun written = kb({"from-text", in.string(), out.string()});
    ASSERT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(written.err, "");
    const std::string bytes = readBytes(out);
    EXPECT_EQ(bytes.rfind("{\\rtf", 0), 0u);
    EXPECT_EQ(readRtf(bytes), toCp1251({"Заголовок", "ПРИВЕТ^Привет!;", "ЁЖ^Ёжик.;", ""}));

    const KbRun listed = kb({"lines", out.string()});
    EXPECT_EQ(listed.out, "Заголовок\nПРИВЕТ^Привет!;\nЁЖ^Ёжик.;\n\n");
}

TEST(KbFromText, WarnsAboutCharactersWithoutAWindows1251Form) {
    const TempDir dir;
    writeBytes(dir.path() / "in.txt", "Хорошо.\nСмайлик \xF0\x9F\x99\x82.\n");
    const KbRun run =
        kb({"from-text", (dir.path() / "in.txt").string(), (dir.path() / "out.Dat").string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("in.txt:2:"), std::string::npos) << run.err;
    EXPECT_EQ(countLines(run.err), 1u);
    EXPECT_EQ(kb({"lines", (dir.path() / "out.Dat").string()}).out, "Хорошо.\nСмайлик ?.\n");
}

TEST(KbCheck, AcceptsACompleteWorkdirWithAGoodTree) {
    const TempDir dir;
    makeWorkdir(dir.path(), kGoodTree);
    const KbRun run = kb({"check", dir.path().string()});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(countLines(run.out), 1u) << run.out;
    EXPECT_NE(run.out.find("4 phrases"), std::string::npos) << run.out;
}

TEST(KbCheck, ReportsEveryBrokenTreeLineWithItsNumber) {
    const TempDir dir;
    makeWorkdir(dir.path(), {
                                "Заголовок ^ с ; чем угодно", // 1: free text, never reported
                                "ПРИВЕТ^Привет!;",            // 2
                                "",                           // 3
                                "ПРИВЕТ Привет!;",            // 4
                                "__^Ответ;",                  // 5
                                "ПРИ;ВЕТ^Привет!;",           // 6
                                "ПРИВЕТ^Привет!;Как^дела?;",  // 7
                                "ПРИВЕТ^Привет!;Здравствуй",  // 8
                                "ПРИВЕТ^Привет!;;",           // 9
                                "_КАК ДЕЛА?^",                // 10
                            });
    const KbRun run = kb({"check", dir.path().string()});
    EXPECT_EQ(run.status, 1);

    const std::vector<std::string> reported = splitPlainLines(run.out);
    ASSERT_EQ(reported.size(), 8u) << run.out; // and the summary
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Base\\Words.Dat:3: ", ": "},
        {"Base\\Words.Dat:4: ", ": ПРИВЕТ Привет!;"},
        {"Base\\Words.Dat:5: ", ": __^Ответ;"},
        {"Base\\Words.Dat:6: ", ": ПРИ;ВЕТ^Привет!;"},
        {"Base\\Words.Dat:7: ", ": ПРИВЕТ^Привет!;Как^дела?;"},
        {"Base\\Words.Dat:8: ", ": ПРИВЕТ^Привет!;Здравствуй"},
        {"Base\\Words.Dat:9: ", ": ПРИВЕТ^Привет!;;"},
    };
    std::vector<std::string> problems;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string& line = reported[i];
        const auto& [prefix, suffix] = expected[i];
        EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
        ASSERT_GE(line.size(), prefix.size() + suffix.size()) << line;
        EXPECT_EQ(line.substr(line.size() - suffix.size()), suffix) << line;
        problems.push_back(line.substr(prefix.size(), line.size() - prefix.size() - suffix.size()));
    }
    // Each kind of fault is named in its own words.
    std::sort(problems.begin(), problems.end());
    EXPECT_EQ(std::unique(problems.begin(), problems.end()), problems.end());
    EXPECT_NE(run.out.find("FAILED"), std::string::npos);
    EXPECT_NE(run.out.find("7 broken lines"), std::string::npos) << run.out;
}

TEST(KbCheck, ReportsMissingAndUnreadableFiles) {
    const TempDir dir;
    makeWorkdir(dir.path(), kGoodTree);
    fs::remove(dir.path() / "base" / "X.Dat");
    fs::remove(dir.path() / "Sound" / "close.WAV");
    fs::create_directory(dir.path() / "Sound" / "Close.wav"); // a folder is no file

    const KbRun run = kb({"check", dir.path().string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Base\\X.Dat: missing\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Sound\\Close.wav: is a directory\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("2 files missing"), std::string::npos) << run.out;
}

TEST(KbCheck, NamesFilesReadAsUtf8AndStrayBraces) {
    const TempDir dir;
    makeWorkdir(dir.path(), kGoodTree);
    writeBytes(dir.path() / "base" / "Pause.Dat", "Эй, ты где?\r\n");
    fs::copy_file(fs::path(BESEDKA_FIXTURES) / "rtf" / "stray-brace.rtf",
                  dir.path() / "base" / "W2.Dat", fs::copy_options::overwrite_existing);
    const KbRun run = kb({"check", dir.path().string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "Base\\Pause.Dat: read as UTF-8 plain text\n"
                       "Base\\W2.Dat:2: stray \"}\" before the end of the RTF document: "
                       "«Хорошо» — ответил он.\n"
                       "kb check: FAILED: 0 files missing or unreadable, 0 broken lines in "
                       "Base\\Words.Dat, 1 stray \"}\" in RTF files\n");
}

TEST(KbCheck, SaysAnEmptyTreeHasNoHeader) {
    const TempDir dir;
    makeWorkdir(dir.path(), {});
    const KbRun run = kb({"check", dir.path().string()});
    EXPECT_NE(run.out.find("Base\\Words.Dat: empty: no header line"), std::string::npos) << run.out;
}

TEST(KbCheck, ReportsAMissingTreeWithoutCrashing) {
    const TempDir dir;
    makeWorkdir(dir.path(), kGoodTree);
    fs::remove(dir.path() / "base" / "WORDS.DAT");
    const KbRun run = kb({"check", dir.path().string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Base\\Words.Dat: missing\n"), std::string::npos) << run.out;
}

TEST(KbCheck, DefaultsToTheCurrentDirectory) {
    const TempDir dir;
    makeWorkdir(dir.path(), kGoodTree);
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    const KbRun run = kb({"check"});
    fs::current_path(before);
    EXPECT_EQ(run.status, 0) << run.out;
}

TEST(KbErrors, FileErrorsAreOneLineOnStderrWithStatusOne) {
    const TempDir dir;
    const std::string missing = (dir.path() / "nothing.Dat").string();
    writeBytes(dir.path() / "in.txt", "Строка\n");
    const std::string unwritable = (dir.path() / "no-such-dir" / "out.Dat").string();

    const std::vector<std::vector<std::string>> calls = {
        {"lines", missing},
        {"from-text", missing, (dir.path() / "out.Dat").string()},
        {"from-text", (dir.path() / "in.txt").string(), unwritable},
        {"check", (dir.path() / "no-such-workdir").string()},
    };
    for (const auto& args : calls) {
        const KbRun run = kb(args);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_EQ(run.out, "") << args[0];
        EXPECT_EQ(run.err.rfind("besedka kb: ", 0), 0u) << run.err;
        EXPECT_EQ(countLines(run.err), 1u) << run.err;
    }
    EXPECT_FALSE(fs::exists(dir.path() / "out.Dat"));
    EXPECT_FALSE(fs::exists(unwritable));
}

TEST(KbErrors, WrongUsageIsStatusTwo) {
    const std::vector<std::vector<std::string>> calls = {
        {}, {"bogus"}, {"lines"}, {"lines", "a", "b"}, {"from-text", "a"}, {"check", "a", "b"},
    };
    for (const auto& args : calls) {
        const KbRun run = kb(args);
        EXPECT_EQ(run.status, 2) << testing::PrintToString(args);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("besedka kb: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << run.err;
        EXPECT_EQ(countLines(run.err), 1u) << run.err;
    }
}

// The figures of a directory made for the test, in one aligned table.
TEST(KbStats, CountsTheTreeTheListsTheLogAndTheSizes) {
    const TempDir dir;
    makeWorkdir(dir.path(), {"Заголовок", "ПРИВЕТ^Привет!;Здравствуй.;", "_КАК ДЕЛА?^Хорошо.;",
                             "__А У ТЕБЯ^Тоже.;", "___А ЕЩЁ?^", "ПОКА^", "сломанная строка"});
    writeBytes(dir.path() / "base" / "W2.Dat", "a\r\nb\r\nc\r\n");
    const std::string block = "\r\n" + std::string(53, '=') + "\r\n";
    writeBytes(dir.path() / "base" / "Log.Halden", "x" + block + "y" + block);

    const KbRun run = kb({"stats", dir.path().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, std::string> figures;
    const std::vector<std::string> rows = splitPlainLines(run.out);
    for (const std::string& row : rows) {
        EXPECT_EQ(row.size(), rows.front().size()) << "not aligned: " << row;
        const std::size_t gap = row.find("  ");
        figures[row.substr(0, gap)] = row.substr(row.find_first_not_of(' ', gap));
    }
    const std::map<std::string, std::string> expected = {
        {"tree lines", "7"},
        {"learned phrases", "6"},
        {"root lines", "3"},
        {"branch lines at depth 1", "1"},
        {"branch lines at depth 2", "1"},
        {"branch lines at depth 3 and deeper", "1"},
        {"lines with answers", "3"},
        {"lines without answers", "3"},
        {"answers in all", "4"},
        {"lines that break the grammar", "1"},
        {"Base\\W1.Dat lines", "1"},
        {"Base\\W2.Dat lines", "3"},
        {"dialogues in Base\\Log.Halden", "2"},
        {"Base\\W2.Dat size", "9 bytes"},
        {"Base\\Words.Dat size",
         std::to_string(fs::file_size(dir.path() / "base" / "WORDS.DAT")) + " bytes"},
    };
    for (const auto& [label, value] : expected) {
        EXPECT_EQ(figures[label], value) << label;
    }
    EXPECT_EQ(figures.size(), 25u) << run.out;
}

TEST(KbFind, FindsKeysAndAnswersInAnyCyrillicCase) {
    const TempDir dir;
    makeWorkdir(dir.path(), kGoodTree);
    const KbRun greeting = kb({"find", "привет", dir.path().string()});
    EXPECT_EQ(greeting.status, 0);
    EXPECT_EQ(greeting.out, "2: ПРИВЕТ^Привет!;Здравствуй.;\n");
    EXPECT_EQ(kb({"find", "ХОРОШО", dir.path().string()}).out, "3: _КАК ДЕЛА?^Хорошо.;\n");
    EXPECT_EQ(kb({"find", "а", dir.path().string()}).out,
              "2: ПРИВЕТ^Привет!;Здравствуй.;\n3: _КАК ДЕЛА?^Хорошо.;\n"
              "4: __А У ТЕБЯ^Тоже.;\n5: ПОКА^\n");

    const KbRun missing = kb({"find", "нет такого", dir.path().string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(countLines(missing.err), 1u);
    EXPECT_EQ(kb({"find", "", dir.path().string()}).status, 2);
}

TEST(KbCheck, ListsSuspiciousKeysWithoutFailing) {
    const TempDir dir;
    makeWorkdir(dir.path(), {"Заголовок", ".^", "ПРИВЕТ^Привет!;", "_ ? !^Что?;", "Ё^Ёж.;"});
    const KbRun run = kb({"check", dir.path().string()});
    EXPECT_EQ(run.status, 0) << run.out;
    const std::vector<std::string> lines = splitPlainLines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_TRUE(lines[0].starts_with("Base\\Words.Dat:2: suspicious")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("Base\\Words.Dat:4: suspicious")) << lines[1];
    EXPECT_NE(lines[2].find("2 suspicious lines"), std::string::npos) << lines[2];
}

// A working directory with its own state home for the backups.
class KbChanges : public ::testing::Test {
  protected:
    KbChanges() {
        ::setenv("XDG_STATE_HOME", state_.path().c_str(), 1);
        makeWorkdir(dir_.path(), {"Заголовок", "ПРИВЕТ^Привет!;", "_КАК ДЕЛА?^Хорошо.;",
                                  "__А У ТЕБЯ^Тоже.;", "ПОКА^", "_ЧТО?^"});
    }
    ~KbChanges() override { ::unsetenv("XDG_STATE_HOME"); }

    std::string tree() const { return readBytes(dir_.path() / "base" / "WORDS.DAT"); }
    std::vector<std::string> treeLines() const {
        return splitPlainLines(kb({"lines", treePath()}).out);
    }
    std::string treePath() const { return (dir_.path() / "base" / "WORDS.DAT").string(); }
    std::vector<std::string> stamps() const { return listBackups(*findBackupFolder(dir_.path())); }
    KbRun kbHere(std::vector<std::string> args) const {
        args.push_back(dir_.path().string());
        return kb(args);
    }
    void chat(const std::string& input) const {
        std::istringstream in(input);
        std::ostringstream out, err;
        ASSERT_EQ(runChatCommand({"--workdir", dir_.path().string()}, in, out, err), 0)
            << err.str();
    }

    TempDir state_;
    TempDir dir_;
};

TEST_F(KbChanges, ForgetRemovesLinesWithTheirBranches) {
    const std::string before = tree();
    const KbRun dry = kbHere({"forget", "3", "--dry-run"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out, "3: _КАК ДЕЛА?^Хорошо.;\n4: __А У ТЕБЯ^Тоже.;\n");
    EXPECT_EQ(tree(), before);

    for (const std::vector<std::string>& refused : {std::vector<std::string>{"forget", "7"},
                                                    {"forget", "0"},
                                                    {"forget", "1"},
                                                    {"forget", "2", "7"},
                                                    {"forget", "99999999999999999999"}}) {
        const KbRun run = kbHere(refused);
        EXPECT_EQ(run.status, 1) << refused.back();
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(countLines(run.err), 1u) << run.err;
        // A refusal names no file, so not the working directory either.
        EXPECT_EQ(run.err.find("(working directory"), std::string::npos) << run.err;
    }
    EXPECT_EQ(kbHere({"forget"}).status, 2);
    EXPECT_EQ(kbHere({"forget", "2", "--bogus"}).status, 2);
    EXPECT_EQ(tree(), before);
    EXPECT_TRUE(stamps().empty()) << "nothing saved, nothing backed up";

    const KbRun root = kbHere({"forget", "2"});
    EXPECT_EQ(root.out, "2: ПРИВЕТ^Привет!;\n3: _КАК ДЕЛА?^Хорошо.;\n4: __А У ТЕБЯ^Тоже.;\n");
    EXPECT_EQ(treeLines(), (std::vector<std::string>{"Заголовок", "ПОКА^", "_ЧТО?^"}));
    const KbRun branch = kbHere({"forget", "3"});
    EXPECT_EQ(branch.out, "3: _ЧТО?^\n");
    EXPECT_EQ(treeLines(), (std::vector<std::string>{"Заголовок", "ПОКА^"}));
    ASSERT_EQ(stamps().size(), 2u) << "each run backs up before its save";
}

// A line named by what the user saw there is removed only while it still is;
// the dry run gives the command that names it so. No backup, no removal,
// unless asked for.
TEST_F(KbChanges, ForgetRefusesALineThatIsNoLongerTheOneExpected) {
    FileStore files{PathMap(dir_.path())};
    const ForgetRequest stale{{3}, {utf8ToCp1251("ПОКА^")}, false};
    EXPECT_THROW(forgetLines(files, stale, {}), CurationError);
    EXPECT_EQ(treeLines().size(), 6u);
    const KbRun dry = kbHere({"forget", "5", "--dry-run"});
    EXPECT_NE(dry.err.find("besedka kb forget 5 --expect 'ПОКА^' "), std::string::npos) << dry.err;
    EXPECT_EQ(kbHere({"forget", "3", "--expect", "ПОКА^"}).status, 1);
    EXPECT_EQ(kbHere({"forget", "3", "5", "--expect", "ПОКА^"}).status, 2);
    EXPECT_EQ(kbHere({"forget", "--expect", "ПОКА^", "5"}).status, 2);
    EXPECT_NE(kb({"forget", "5", "--expect"}).err.find("--expect needs a value"),
              std::string::npos);
    EXPECT_EQ(kbHere({"forget", "5", "--expect", "--yes"}).status, 1); // a line may start "-"
    EXPECT_EQ(treeLines().size(), 6u);

    ::setenv("XDG_STATE_HOME", (dir_.path() / "readme.txt").c_str(), 1); // no folder for backups
    const KbRun unsafe = kbHere({"forget", "5", "--expect", "ПОКА^"});
    EXPECT_EQ(unsafe.status, 1);
    EXPECT_NE(unsafe.err.find("no backup made"), std::string::npos) << unsafe.err;
    EXPECT_EQ(treeLines().size(), 6u);
    const KbRun removed = kbHere({"forget", "5", "--expect", "ПОКА^", "--no-backup"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(treeLines(), (std::vector<std::string>{"Заголовок", "ПРИВЕТ^Привет!;",
                                                     "_КАК ДЕЛА?^Хорошо.;", "__А У ТЕБЯ^Тоже.;"}));
}

TEST_F(KbChanges, BackupsComeBeforeTheFirstSaveAndRestoreGivesTheLinesBack) {
    const std::string original = tree();
    const auto entries = [&] {
        std::set<fs::path> names;
        for (const auto& entry : fs::recursive_directory_iterator(dir_.path())) {
            names.insert(entry.path());
        }
        return names;
    };
    const auto before = entries();
    chat("привет\nзапомни это\n");
    ASSERT_EQ(stamps().size(), 1u);
    EXPECT_EQ(readBytes(*findBackupFolder(dir_.path()) / stamps().front() / "WORDS.DAT"), original);
    EXPECT_NE(tree(), original);
    EXPECT_EQ(entries(), before) << "backups live outside the working directory";

    std::vector<std::vector<std::string>> after{treeLines()}; // after each run
    for (int run = 0; run < 11; ++run) {
        chat("привет\nещё " + std::to_string(run) + "\n");
        after.push_back(treeLines());
    }
    const std::vector<std::string> kept = stamps();
    ASSERT_EQ(kept.size(), 10u);
    EXPECT_EQ(countLines(kbHere({"backups"}).out), 12u) << "two heading lines and ten backups";

    // The oldest kept backup was taken before the third run.
    const KbRun restored = kbHere({"restore", kept.front()});
    ASSERT_EQ(restored.status, 0) << restored.err;
    EXPECT_EQ(treeLines(), after[1]);
    ASSERT_EQ(stamps().size(), 10u);
    EXPECT_GT(stamps().back(), kept.back()) << "the state before the restore was backed up";
    EXPECT_EQ(kbHere({"restore", stamps().back()}).status, 0);
    EXPECT_EQ(treeLines(), after.back());
    EXPECT_EQ(kbHere({"restore", "1999-01-01_00-00-00.000"}).status, 1);
}

// The newest backup is the one taken last, whatever the time zone of the run
// that took it; the ten newest are kept.
TEST_F(KbChanges, BackupsKeepTheirOrderAcrossTimeZones) {
    const auto inZone = [](const char* zone) {
        ::setenv("TZ", zone, 1);
        ::tzset();
    };
    inZone("UTC-12");
    for (int run = 0; run < 10; ++run) {
        chat("привет\nна востоке " + std::to_string(run) + "\n");
    }
    const std::string before = tree();
    inZone("UTC+12");
    chat("привет\nна западе\n");
    ::unsetenv("TZ");
    ::tzset();
    const std::vector<std::string> kept = stamps();
    ASSERT_EQ(kept.size(), 10u);
    EXPECT_EQ(readBytes(*findBackupFolder(dir_.path()) / kept.back() / "WORDS.DAT"), before);
}

// A restore that fails midway puts Base back as it was and keeps the backup
// it restores from, even the oldest of ten. One killed midway is finished by
// the next run, and kb check tells of it until then.
TEST_F(KbChanges, ARestoreCutShortKeepsItsSourceAndLeavesNoMix) {
    for (int run = 0; run < 10; ++run) {
        chat("привет\nещё " + std::to_string(run) + "\n");
    }
    const fs::path folder = *findBackupFolder(dir_.path());
    const std::vector<std::string> kept = stamps();
    const std::string before = tree();
    const fs::path list = dir_.path() / "base" / "W1.Dat";
    const std::string listBytes = readBytes(list);
    fs::remove(list);
    fs::create_directory(list); // cannot be replaced by a file
    const KbRun failed = kbHere({"restore", kept.front()});
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("nothing restored: Base is as it was"), std::string::npos)
        << failed.err;
    EXPECT_EQ(tree(), before);
    EXPECT_EQ(stamps().front(), kept.front());

    fs::remove(list);
    writeBytes(list, listBytes);
    writeBytes(folder / ".restore", (folder / kept.front()).string() + "\n");
    const KbRun told = kbHere({"check"});
    EXPECT_EQ(told.status, 1);
    EXPECT_NE(told.out.find("a restore of " + (folder / kept.front()).string()), std::string::npos)
        << told.out;
    const std::string restored = readBytes(folder / kept.front() / "WORDS.DAT");
    chat("");
    EXPECT_EQ(tree(), restored);
    EXPECT_FALSE(fs::exists(folder / ".restore"));
    EXPECT_EQ(kbHere({"check"}).status, 0);
}

// A restore reads the whole backup before it writes anything and refuses one
// that is not as it was taken: Base stays as it is, and nothing is backed up.
// Backups of older versions, which recorded no sizes, restore when they load.
TEST_F(KbChanges, ARestoreRefusesADamagedBackupAndLeavesBaseAsItWas) {
    chat("привет\nзапомни это\n");
    const fs::path backup = *findBackupFolder(dir_.path()) / stamps().front();
    const std::string copy = readBytes(backup / "WORDS.DAT");
    const std::string before = tree();
    const auto refused = [&](const std::string& why) {
        const KbRun run = kbHere({"restore", stamps().front()});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(" is damaged: " + why), std::string::npos) << run.err;
        EXPECT_EQ(tree(), before);
        EXPECT_EQ(stamps().size(), 1u);
    };
    const std::string half = copy.substr(0, copy.size() / 2);
    writeBytes(backup / "WORDS.DAT", half);
    const std::string shorter = "WORDS.DAT has " + std::to_string(half.size()) + " bytes, " +
                                std::to_string(copy.size()) + " were recorded";
    refused(shorter);
    EXPECT_NE(kbHere({"backups"}).out.find("damaged: " + shorter), std::string::npos);
    writeBytes(backup / "WORDS.DAT", std::string(copy.size(), '\0')); // zeroed by a power loss
    refused("WORDS.DAT has other bytes than were recorded");

    // Backups of older versions: sizes only, or no record; their copies
    // must load.
    const std::string record = readBytes(backup / ".sizes");
    writeBytes(backup / ".sizes", std::regex_replace(record, std::regex("/[0-9a-f]{16} "), " "));
    writeBytes(backup / "WORDS.DAT", "{\\rtf1 " + std::string(copy.size() - 7, 'x'));
    refused("WORDS.DAT is cut short");
    fs::remove(backup / ".sizes");
    writeBytes(backup / "WORDS.DAT", std::string(copy.size(), '\0'));
    refused("WORDS.DAT holds NUL bytes");
    writeBytes(backup / "WORDS.DAT", copy);
    const KbRun old = kbHere({"restore", stamps().front()});
    EXPECT_EQ(old.status, 0) << old.err;
    EXPECT_EQ(tree(), copy);
}

// A Base that the program uses as it is, with a hand-made RTF reply list that
// never closes and one holding NUL bytes, is restored from its backup as it
// was taken.
TEST_F(KbChanges, ABackupRestoresWhatBaseHeldEvenWhereItIsOdd) {
    const std::string unclosed = "{\\rtf1\\ansi \xcf\xf0\xe8\xe2\xe5\xf2!\\par ";
    const std::string withNul = std::string("\xc4\xe0.\r\n\0\0\r\n", 8);
    writeBytes(dir_.path() / "base" / "Povtor.Dat", unclosed);
    writeBytes(dir_.path() / "base" / "X.Dat", withNul);
    chat("привет\nзапомни это\n");
    const std::string learned = tree();
    ASSERT_EQ(stamps().size(), 1u);
    chat("и это тоже\n");
    const KbRun run = kbHere({"restore", stamps().front()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(dir_.path() / "base" / "Povtor.Dat"), unclosed);
    EXPECT_EQ(readBytes(dir_.path() / "base" / "X.Dat"), withNul);
    EXPECT_NE(tree(), learned);
}

// A working directory's name of any length gets a backup folder, which
// kb backups --all lists with the path it was taken from.
TEST(KbBackups, ALongWorkingDirectoryNameIsBackedUpAndListedWithItsPath) {
    const TempDir state;
    const TempDir parent;
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    std::string name;
    for (int i = 0; i < 127; ++i) {
        name += "я"; // 254 bytes
    }
    const fs::path dir = parent.path() / name;
    makeWorkdir(dir, {"Заголовок"});
    std::istringstream in("привет\nкак дела\n");
    std::ostringstream out, err;
    EXPECT_EQ(runChatCommand({"--workdir", dir.string()}, in, out, err), 0) << err.str();
    const fs::path folder = *findBackupFolder(dir);
    EXPECT_LE(folder.filename().string().size(), 255u);
    EXPECT_EQ(listBackups(folder).size(), 1u);
    const KbRun all = kb({"backups", "--all"});
    EXPECT_NE(all.out.find(dir.string() + "\n  1 backups in " + folder.string()), std::string::npos)
        << all.out;
    ::unsetenv("XDG_STATE_HOME");
}

TEST(StarterData, PassesTheCheck) {
    const KbRun run = kb({"check", kDataDir.string()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
}

// Root keys are found only when no insult entry in the same phrase answers
// first; answers are shown phrases.
// How often each key, depth marks set aside, stands in the tree.
std::map<std::string, int> keyCounts(const std::vector<std::string>& tree) {
    std::map<std::string, int> counts;
    for (std::size_t i = 1; i < tree.size(); ++i) {
        ++counts[std::string(TreeLine(tree[i]).key())];
    }
    return counts;
}

// Self-talk reads each reply back with CR LF after it: none of it may reach
// the tree as a split line such as ".^", and what it learns is the reply as it
// was said, once.
TEST(StarterData, SelfTalkKeepsTheTreeWellFormed) {
    TempDir workdir;
    fs::copy(kDataDir, workdir.path(), fs::copy_options::recursive);
    std::string input = "привет\n/cpu\n";
    for (int i = 0; i < 40; ++i) {
        input += "/tick\n";
    }
    std::istringstream in(input + "/quit\n");
    std::ostringstream out, err;
    ::setenv("BESEDKA_CLOCK", "36000000", 1);
    EXPECT_EQ(runChatCommand({"--workdir", workdir.path().string()}, in, out, err), 0);
    ::unsetenv("BESEDKA_CLOCK");
    EXPECT_EQ(out.str().find('\r'), std::string::npos);
    const auto starter = parseKnowledgeFile(readBytes(kDataDir / "Base" / "Words.Dat"));
    const auto tree = parseKnowledgeFile(readBytes(workdir.path() / "Base" / "Words.Dat"));
    for (std::size_t i = 1; i < tree.size(); ++i) {
        const TreeLine line(tree[i]);
        EXPECT_FALSE(line.key().starts_with('.')) << i;
        for (const std::string_view end : {"..", "?.", "!."}) {
            EXPECT_FALSE(line.key().ends_with(end)) << cp1251ToUtf8(tree[i]);
        }
        for (std::size_t a = 1; a <= line.answerCount(); ++a) {
            EXPECT_FALSE(line.answer(a).ends_with("..")) << cp1251ToUtf8(tree[i]);
        }
    }
    const auto before = keyCounts(starter);
    for (const auto& [key, count] : keyCounts(tree)) {
        EXPECT_LE(count, std::max(1, before.contains(key) ? before.at(key) : 0))
            << cp1251ToUtf8(key);
    }
    EXPECT_GT(tree.size(), starter.size());
    const KbRun check = kb({"check", workdir.path().string()});
    EXPECT_EQ(check.status, 0) << check.out << check.err;
}

TEST(StarterData, TreeKeysAvoidInsultsAndAnswersAreShownPhrases) {
    const std::vector<std::string> lines =
        parseKnowledgeFile(readBytes(kDataDir / "Base" / "Words.Dat"));
    ASSERT_GT(lines.size(), 30u);
    const std::vector<std::string>& insults = insultList();
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const TreeLine line(lines[i]);
        const std::string key = " " + std::string(line.key()) + " ";
        for (std::size_t e = 1; e < insults.size(); ++e) {
            EXPECT_EQ(key.find(insults[e]), std::string::npos)
                << cp1251ToUtf8(key) << " holds " << cp1251ToUtf8(insults[e]);
        }
        for (std::size_t a = 1; a <= line.answerCount(); ++a) {
            const std::string_view answer = line.answer(a);
            ASSERT_FALSE(answer.empty());
            EXPECT_EQ(cyrillicUpper(answer.front()), answer.front()) << cp1251ToUtf8(answer);
            EXPECT_NE(std::string_view(".!?").find(answer.back()), std::string_view::npos)
                << cp1251ToUtf8(answer);
        }
    }
}

std::uint32_t little(const std::string& bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    }
    return value;
}

TEST(StarterData, SoundsAreShort16BitPcmMonoWaves) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(kDataDir / "Sound")) {
        if (entry.path().extension() != ".wav") {
            continue;
        }
        ++count;
        const std::string bytes = readBytes(entry.path());
        const std::string name = entry.path().filename().string();
        ASSERT_GE(bytes.size(), 44u) << name;
        EXPECT_EQ(bytes.substr(0, 4), "RIFF") << name;
        EXPECT_EQ(bytes.substr(8, 4), "WAVE") << name;
        ASSERT_EQ(bytes.substr(12, 4), "fmt ") << name;
        EXPECT_EQ(little(bytes, 20, 2), 1u) << name << ": not plain PCM";
        EXPECT_EQ(little(bytes, 22, 2), 1u) << name << ": channels";
        EXPECT_EQ(little(bytes, 34, 2), 16u) << name << ": bits per sample";
        const std::uint32_t rate = little(bytes, 24, 4);
        const std::size_t dataAt = 20 + little(bytes, 16, 4);
        ASSERT_EQ(bytes.substr(dataAt, 4), "data") << name;
        const double seconds = little(bytes, dataAt + 4, 4) / (2.0 * rate);
        EXPECT_GE(seconds, 0.03) << name;
        EXPECT_LE(seconds, 0.25) << name;
    }
    EXPECT_EQ(count, 6u);
}

} // namespace
} // namespace besedka

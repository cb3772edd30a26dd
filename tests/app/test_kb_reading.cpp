// The subcommands that read the knowledge base: a file as lines and back,
// the check, the figures and the search; and how errors and wrong usage end.
#include "kb_fixture.h"

#include "kb/guarded.h"

#include "text/rtf.h"

#include <gtest/gtest.h>

#include <map>
#include <new>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace besedka::test {
namespace {

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

TEST(KbErrors, RunningOutOfMemoryIsOneLineWithStatusOne) {
    std::ostringstream err;
    const int status = kb::guarded(err, []() -> int { throw std::bad_alloc(); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err.str().rfind("besedka kb: out of memory: ", 0), 0u) << err.str();
    EXPECT_EQ(countLines(err.str()), 1u) << err.str();
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

// The words a subcommand takes, as its usage line shows them, tell what is
// missing, what is one too many and which options it knows.
TEST(KbErrors, WrongUsageNamesTheWordAtFault) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> calls = {
        {{"forget"}, "forget: missing N..."},
        {{"from-text", "a"}, "from-text: missing OUT"},
        {{"backups", "--all", "a"}, "backups: unexpected \"a\""},
        {{"teach", "a", "--dry-run", "--skip-bad", "--no-backup", "b", "c"},
         "teach: unexpected \"c\""},
        {{"merge", "a", "--yes"}, "merge: unknown option \"--yes\""},
        {{"forget", "2", "--expect"}, "forget: --expect needs a value"},
    };
    for (const auto& [args, problem] : calls) {
        const KbRun run = kb(args);
        EXPECT_EQ(run.status, 2) << problem;
        EXPECT_EQ(
            run.err.rfind("besedka kb: " + problem + "; usage: besedka kb " + args[0] + " ", 0), 0u)
            << run.err;
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

    // "ё" and "е" are one letter to a search, either way round.
    const TempDir dotted;
    makeWorkdir(dotted.path(), {"Заголовок", "ВСЁ ХОРОШО^Ещё бы.;", "ЕЛКА^"});
    EXPECT_EQ(kb({"find", "все хорошо", dotted.path().string()}).out, "2: ВСЁ ХОРОШО^Ещё бы.;\n");
    EXPECT_EQ(kb({"find", "ещё", dotted.path().string()}).out, "2: ВСЁ ХОРОШО^Ещё бы.;\n");
    EXPECT_EQ(kb({"find", "ёлка", dotted.path().string()}).out, "3: ЕЛКА^\n");
}

// Each step of the chat that can answer a phrase, as kb why tells it, in a new
// dialogue and after a reply; nothing is written.
TEST(KbWhy, NamesTheStepThatWouldAnswerAndChangesNothing) {
    const TempDir dir;
    makeWorkdir(dir.path(), {"Заголовок", "ПОЧЕМУ НЕБО СИНЕЕ^Рассеяние.;", "ПОЧЕМУ^Потому.;",
                             "_КАК^Так.;", "КОТ^Мяу.;"});
    const std::string tree = readBytes(dir.path() / "base" / "WORDS.DAT");
    const std::string workdir = dir.path().string();
    const std::string longPhrase = "почему " + std::string(110, 'x');
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"ну почему"},
         "tree line 3: its key \"ПОЧЕМУ\" is found in the phrase\n3: ПОЧЕМУ^Потому.;\n"},
        {{"а как же", "--after", "Потому."},
         "tree line 4, in the branch of line 3: its key \"КАК\" is found in the phrase\n"
         "4: _КАК^Так.;\n"},
        {{"кот", "--after", "потому."},
         "tree line 5 (the branch of line 3 has no line for it): its key \"КОТ\" is found"},
        {{"ПОЧЕМУ", "--after", "Потому."},
         "a repeat: it is the phrase said before it again; "
         "the reply comes from Base\\Povtor.Dat\n"},
        {{"ты дура"},
         "the insult list: the phrase holds \"ДУРА\"; the reply comes from "
         "Base\\X.Dat\n"},
        {{longPhrase},
         "the long-phrase gate: 118 characters, 110 or more; 4 times in 6 the "
         "reply comes from Base\\BigString.Dat, otherwise:\ntree line 3: "},
        {{std::string(300, 'x') + " кот"},
         "the chat takes the first 255 characters of it\nthe long-phrase gate: 256 characters, "
         "110 or more; 4 times in 6 the reply comes from Base\\BigString.Dat, otherwise:\n"
         "nothing: no tree line answers it"},
        {{"здравствуй?"},
         "nothing: no tree line answers it, so the reply comes from "
         "Base\\W1.Dat and the chat learns the phrase\n"},
        {{"мама"},
         "nothing: no tree line answers it, and it touches a personal topic "
         "(\"МАМА\"), so the chat says its last reply again and learns nothing\n"},
    };
    for (const auto& [words, said] : cases) {
        std::vector<std::string> args{"why"};
        args.insert(args.end(), words.begin(), words.end());
        args.push_back(workdir);
        const KbRun run = kb(args);
        EXPECT_EQ(run.status, 0) << words[0] << run.err;
        EXPECT_TRUE(run.out.starts_with(said)) << run.out;
    }
    const KbRun unknown = kb({"why", "кот", "--after", "Мур.", workdir});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("no tree line answers \"Мур.\""), std::string::npos) << unknown.err;
    EXPECT_EQ(readBytes(dir.path() / "base" / "WORDS.DAT"), tree);
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

} // namespace
} // namespace besedka::test

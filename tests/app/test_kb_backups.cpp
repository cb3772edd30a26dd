// Backups before the first save of each run, kb backups and kb restore.
#include "files/backups.h"
#include "kb/backup_reason.h"
#include "kb_fixture.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace besedka::test {
namespace {

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

// Each backup tells what was about to happen when it was taken; one of an
// older version, without that, is listed as before.
TEST_F(KbChanges, BackupsTellWhatFollowedThem) {
    chat("привет\nзапомни это\n");
    const fs::path text = dir_.path() / "jokes.txt";
    writeBytes(text, "Как дела?\nХорошо.\n");
    ASSERT_EQ(kbHere({"teach", text.string()}).status, 0);
    ASSERT_EQ(kbHere({"forget", "--yes", "3"}).status, 0);
    const std::vector<std::string> taken = stamps();
    ASSERT_EQ(taken.size(), 3u);
    fs::remove(*findBackupFolder(dir_.path()) / taken[0] / ".reason");

    const std::vector<std::string> listed = splitPlainLines(kbHere({"backups"}).out);
    ASSERT_EQ(listed.size(), 5u); // newest first
    EXPECT_TRUE(std::regex_match(listed[4], std::regex(taken[0] + " +\\d+ +\\d+ +\\d+")))
        << listed[4];
    EXPECT_TRUE(listed[3].ends_with("  before: teaching from " + text.string())) << listed[3];
    EXPECT_TRUE(listed[2].ends_with("  before: forgetting line 3")) << listed[2];
    EXPECT_EQ(*backupReason(*findBackupFolder(dir_.path()) / taken[2]), "перед: забыть строку 3")
        << "recorded in Russian, for the window";
}

// Every form of reason the chat, the kb commands and the window record, as
// the terminal lists it; one it does not know stays as recorded.
TEST(BackupReason, EveryRecordedFormIsSaidInEnglish) {
    const std::vector<std::pair<std::string, std::string>> forms{
        {"перед: разговор", "before: chat"},
        {"перед: обучение из /home/u/jokes.txt", "before: teaching from /home/u/jokes.txt"},
        {"перед: обучение из шутки.txt", "before: teaching from шутки.txt"},
        {"перед: импорт из база.json", "before: import from база.json"},
        {"перед: объединение с /srv/другая", "before: merge with /srv/другая"},
        {"перед: забыть строку 7", "before: forgetting line 7"},
        {"перед: забыть строки 5, 7", "before: forgetting lines 5, 7"},
        {"перед: забыть 1 строку", "before: forgetting 1 line"},
        {"перед: забыть 12 строк", "before: forgetting 12 lines"},
        {"перед: возврат к копии 2026-12-07_12-30-05Z-12",
         "before: restoring backup 2026-12-07_12-30-05Z-12"},
        {"перед: возврат к копии от сегодня, 14:05",
         "before: restoring the backup of today, 14:05"},
        {"перед: возврат к копии от вчера, 09:30",
         "before: restoring the backup of yesterday, 09:30"},
        {"перед: возврат к копии от 07.12.2026, 12:30",
         "before: restoring the backup of 07.12.2026, 12:30"},
        {"перед: изменить фразу «ПРИВЕТ» на «ЗДРАВСТВУЙ»",
         "before: changing the key \"ПРИВЕТ\" to \"ЗДРАВСТВУЙ\""},
        {"перед: изменить ответ «Привет!»", "before: changing the answer \"Привет!\""},
        {"перед: добавить ответ «Ну и ну.»", "before: adding the answer \"Ну и ну.\""},
        {"перед: удалить ответ «До встречи.»", "before: deleting the answer \"До встречи.\""},
        {"перед: забыть всё", "перед: забыть всё"},
        {"перед: что-то новое", "перед: что-то новое"},
        {"before: chat", "before: chat"},
    };
    for (const auto& [recorded, english] : forms) {
        EXPECT_EQ(kb::englishBackupReason(recorded), english);
    }
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

// A restore journal is read as the program's own record: one naming a folder
// that is not a whole backup of the working directory (planted, or a backup
// disk unplugged) puts none of its files in Base and never blocks learning:
// Base is put back from the backup taken just before, and the run says so.
TEST_F(KbChanges, ARestoreJournalThatCannotBeFinishedNeverBlocksNorPlantsFiles) {
    chat("привет\nзапомни это\n");
    const fs::path folder = *findBackupFolder(dir_.path());
    const fs::path planted = state_.path() / "planted";
    writeBytes(planted / "payload.sh", "echo owned\n");
    writeBytes(planted / "WORDS.DAT", std::string(64, '\0'));
    for (const fs::path& named : {planted, fs::path("/media/unplugged/2026-12-07_12-30-05Z-3")}) {
        writeBytes(folder / ".restore", named.string() + "\n");
        std::istringstream in("привет\nсовсем новое\n");
        std::ostringstream out, err;
        EXPECT_EQ(runChatCommand({"--workdir", dir_.path().string()}, in, out, err), 0)
            << err.str();
        EXPECT_NE(err.str().find("cannot be finished"), std::string::npos) << err.str();
        EXPECT_NE(err.str().find("put back as it was before it"), std::string::npos) << err.str();
        EXPECT_FALSE(fs::exists(dir_.path() / "base" / "payload.sh"));
        EXPECT_FALSE(fs::exists(folder / ".restore"));
        EXPECT_EQ(tree().find('\0'), std::string::npos);
        EXPECT_EQ(tree().find(utf8ToCp1251("ЗАПОМНИ ЭТО")), std::string::npos);
        EXPECT_NE(tree().find(utf8ToCp1251("СОВСЕМ НОВОЕ")), std::string::npos);
    }
}

// kb from-text into Base takes its lock as every change does, finishing a
// restore left unfinished first: the next run does not undo what it wrote.
TEST_F(KbChanges, FromTextIntoBaseFinishesAPendingRestoreFirst) {
    chat("привет\nзапомни это\n");
    const fs::path folder = *findBackupFolder(dir_.path());
    writeBytes(folder / ".restore", (folder / stamps().front()).string() + "\n");
    const fs::path lines = state_.path() / "lines.txt";
    writeBytes(lines, "Новый ответ.\n");
    const fs::path list = dir_.path() / "base" / "X.Dat";
    ASSERT_EQ(kb({"from-text", lines.string(), list.string()}).status, 0);
    chat("");
    EXPECT_EQ(kb({"lines", list.string()}).out, "Новый ответ.\n");
    EXPECT_FALSE(fs::exists(folder / ".restore"));
}

// A restore reads the whole backup before it writes anything and refuses one
// that is not as it was taken: Base stays as it is, and nothing is backed up.
// Backups of older versions, which recorded no sizes, restore when they load.
TEST_F(KbChanges, ARestoreRefusesADamagedBackupAndLeavesBaseAsItWas) {
    chat("привет\nзапомни это\n");
    fs::path backup = *findBackupFolder(dir_.path()) / stamps().front();
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
    // must load. A numbered backup always has a record: without it, it is
    // damaged.
    const std::string record = readBytes(backup / ".sizes");
    writeBytes(backup / ".sizes", std::regex_replace(record, std::regex("/[0-9a-f]{16} "), " "));
    writeBytes(backup / "WORDS.DAT", "{\\rtf1 " + std::string(copy.size() - 7, 'x'));
    refused("WORDS.DAT is cut short");
    fs::remove(backup / ".sizes");
    writeBytes(backup / "WORDS.DAT", copy);
    refused(".sizes, its record of sizes, is missing");
    EXPECT_NE(kbHere({"backups"}).out.find("damaged: .sizes"), std::string::npos);
    fs::rename(backup, backup.parent_path() / "2026-12-07_12-30-05.123");
    backup = backup.parent_path() / "2026-12-07_12-30-05.123";
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
    EXPECT_NE(all.out.find(dir.string() + "\n  1 backup in " + folder.string()), std::string::npos)
        << all.out;
    ::unsetenv("XDG_STATE_HOME");
}

} // namespace
} // namespace besedka::test

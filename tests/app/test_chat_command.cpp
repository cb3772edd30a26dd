// Scripted terminal-chat sessions, checked line by line.
#include "chat_command.h"
#include "engine_fixture.h"
#include "files/file_system_kind.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace besedka::test {
namespace {

using namespace std::string_literals;

struct Session {
    int status = 0;
    std::string out;
    std::string err;
};

class Chat : public EngineTest {
  protected:
    Chat() {
        ::setenv("BESEDKA_CLOCK", "36000000", 1);             // 10:00:00.000
        ::setenv("XDG_STATE_HOME", state_.path().c_str(), 1); // backups
        writeLines("Base/Words.Dat",
                   {"Фразы", "ПОГОД^Солнечно.;", "_ДОЖДЬ^Возьми зонт.;", "ПРИВЕТ^Здравствуй!;"});
        writeLines("Base/W1.Dat", {"Не знаю?"});
        writeLines("Base/W2.Dat", {"Понятно."});
        writeLines("Base/X.Dat", {"Не груби."});
        writeLines("D/Txt.Dat", {"привет"});
    }
    ~Chat() override {
        ::unsetenv("BESEDKA_CLOCK");
        ::unsetenv("XDG_STATE_HOME");
    }

    Session run(const std::string& input, std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--workdir", dir_.path().string()};
        args.insert(args.end(), extra.begin(), extra.end());
        std::istringstream in(input);
        std::ostringstream out, err;
        Session session;
        session.status = runChatCommand(args, in, out, err);
        session.out = out.str();
        session.err = err.str();
        return session;
    }

    std::size_t hiddenFilesInBase() const {
        return static_cast<std::size_t>(std::count_if(
            std::filesystem::directory_iterator(dir_.path() / "Base"), {},
            [](const auto& entry) { return entry.path().filename().string().starts_with('.'); }));
    }

    TempDir state_;
};

TEST(FileSystemKind, NetworkFileSystemsByTheirStatfsType) {
    for (const std::uint64_t network :
         {0x6969u, 0x517Bu, 0xFE534D42u, 0xFF534D42u, 0x65735546u, 0x00C36400u, 0x01021997u}) {
        EXPECT_TRUE(isNetworkFileSystem(network)) << std::hex << network;
    }
    // ext4, tmpfs, btrfs, xfs, overlayfs, NTFS (ntfs3)
    for (const std::uint64_t local :
         {0xEF53u, 0x01021994u, 0x9123683Eu, 0x58465342u, 0x794C7630u, 0x7366746Eu, 0u}) {
        EXPECT_FALSE(isNetworkFileSystem(local)) << std::hex << local;
    }
}

// Base on a network file system: said once on standard error, whatever the
// number of exchanges, and the chat goes on as ever.
TEST_F(Chat, NetworkFileSystemIsToldOnce) {
    const auto told = [](const Session& session) {
        std::size_t count = 0;
        for (auto at = session.err.find("network file system"); at != std::string::npos;
             at = session.err.find("network file system", at + 1)) {
            ++count;
        }
        return count;
    };
    EXPECT_EQ(told(run("погода\nдождь\n")), 0u);
    setFileSystemTypeProbe([](int) { return std::optional<std::uint64_t>(0x6969); });
    const Session session = run("погода\nдождь\nпривет\n");
    setFileSystemTypeProbe({});
    EXPECT_EQ(session.status, 0);
    EXPECT_EQ(told(session), 1u) << session.err;
    EXPECT_NE(
        session.err.find("two computers using this folder at the same time are not protected"),
        std::string::npos);
    EXPECT_NE(session.out.find("Возьми зонт."), std::string::npos);
}

TEST_F(Chat, DialogueFollowsABranchAndEndsWithTheLog) {
    const Session s = run("привет\nкакая погода\nдождь будет\n/exit\nне дойдёт\n");
    EXPECT_EQ(s.out, "Привет.\nЗдравствуй!\n"
                     "NomerRazryada = 1\n"
                     "Какая погода.\nСолнечно.\n"
                     "NomerRazryada = 1\nVetochka = ДОЖДЬ\nS = 80\nSS = 2\n"
                     "Дождь будет.\nВозьми зонт.\n");
    EXPECT_EQ(s.err, "");
    EXPECT_EQ(s.status, 0);
    const auto log = readLines("Base/Log.Halden");
    ASSERT_EQ(log.size(), 13u);
    EXPECT_EQ(log[0], "");
    EXPECT_EQ(log[1], std::string(80, '-'));
    EXPECT_EQ(log[2], std::string(22, ' ') + std::string(30, '_'));
    EXPECT_EQ(log[3], std::string(22, ' ') + "Дата - 01.01.2024   |   Время -10:00:00");
    EXPECT_EQ(log[4], std::string(22, ' ') + std::string(30, '~'));
    EXPECT_EQ(log[5], "//Загружено фраз выученных программой: 3");
    EXPECT_EQ(log[6], "USER:     Привет.");
    EXPECT_EQ(log[11], "CPU:     Возьми зонт.");
    EXPECT_EQ(log[12], std::string(53, '='));
}

TEST_F(Chat, LogGrowsByOneBlockPerExitAndQuitWritesNone) {
    run("/exit\n");
    EXPECT_EQ(readLines("Base/Log.Halden").size(), 7u) << "an empty transcript";
    run("");
    EXPECT_EQ(readLines("Base/Log.Halden").size(), 14u) << "end of input exits with the log";
    run("привет\n/quit\n");
    EXPECT_EQ(readLines("Base/Log.Halden").size(), 14u);
}

TEST_F(Chat, FarewellEndsTheSessionAfterItsReply) {
    const Session s = run("пока\nпривет\n");
    EXPECT_EQ(s.out, "Пока.\nПонятно.\n");
    EXPECT_EQ(readLines("Base/Log.Halden").back(), std::string(53, '='));

    // Read by a self-talk step (a text without a final line break) it ends it too.
    std::ofstream(dir_.path() / "D/Txt.Dat", std::ios::binary) << utf8ToCp1251("пока");
    const Session selfTalk = run("/cpu\n/tick\nпривет\n/quit\n");
    EXPECT_EQ(selfTalk.out, "Сервис:   // Режим диалога Cpu\\Cpu.\nПока.\nПонятно.\n");
    EXPECT_EQ(selfTalk.status, 0);
    EXPECT_EQ(readLines("Base/Log.Halden").size(), 18u) << "a second log block";
}

TEST_F(Chat, ReservedCharactersEmptyLinesAndMistypedCommandsSendNothing) {
    const auto treeBefore = readBytes("Base/Words.Dat");
    const Session s = run("a^b\n\nпод_чёрк\nx;y\r\n/qiut\n/выход\n/help\n/quit\n");
    EXPECT_EQ(s.out, "");
    EXPECT_NE(s.err.find("reserved"), std::string::npos);
    EXPECT_NE(s.err.find("unknown command /qiut; /help lists the commands\n"), std::string::npos);
    EXPECT_NE(s.err.find("unknown command /выход;"), std::string::npos);
    EXPECT_NE(s.err.find("  /tick   one self-talk step"), std::string::npos) << "/help";
    EXPECT_EQ(readBytes("Base/Words.Dat"), treeBefore);
    EXPECT_EQ(s.status, 0);
}

// Input as a one-line field holds it, UTF-8 or refused, on knowledge files as
// users edit them: a tree saved as UTF-8, a statement list in RTF with a "}"
// typed by hand in its second line.
TEST_F(Chat, InputLinesAndHandEditedFilesLoseNothing) {
    std::ofstream(dir_.path() / "Base/Words.Dat", std::ios::binary)
        << "\xEF\xBB\xBF" + joinCrLf({"Фразы", "ПОГОД^Солнечно.;", "ПРИВЕТ^Здравствуй!;"});
    std::filesystem::copy_file(std::string(BESEDKA_FIXTURES) + "/rtf/stray-brace.rtf",
                               dir_.path() / "Base/W2.Dat",
                               std::filesystem::copy_options::overwrite_existing);
    const auto statements = readLines("Base/W2.Dat");
    ASSERT_EQ(statements.size(), 8u);
    const Session s = run("при\x01вет\rпогода\n\xC0\xAF\n\xED\xA0\x80\nвот\0 так\n"s);
    EXPECT_EQ(s.err, "besedka chat: input line 2 is not valid UTF-8; nothing was sent\n"
                     "besedka chat: input line 3 is not valid UTF-8; nothing was sent\n");
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(s.out.substr(0, s.out.find("NomerRazryada")), "Привет.\nЗдравствуй!\n");
    EXPECT_NE(s.out.find("\nВот так.\n"), std::string::npos) << s.out;
    auto learned = statements;
    learned.push_back("Вот так.");
    EXPECT_EQ(readLines("Base/W2.Dat"), learned);
    EXPECT_EQ(readLines("Base/Words.Dat"),
              (std::vector<std::string>{"Фразы", "ПОГОД^Солнечно.;", "ПРИВЕТ^Здравствуй!;",
                                        "_ВОТ ТАК.^"}));
}

// An emoji must never reach a key as "?", which occurs in every question.
TEST_F(Chat, CharactersWindows1251CannotHoldAreLeftOut) {
    const auto treeBefore = readBytes("Base/Words.Dat");
    const Session s = run("😀😀\nпри😀вет\n/quit\n");
    EXPECT_NE(s.err.find("nothing in that phrase can be written in Windows-1251"),
              std::string::npos);
    EXPECT_EQ(s.out, "Привет.\nЗдравствуй!\n");
    EXPECT_EQ(readBytes("Base/Words.Dat"), treeBefore);
}

TEST_F(Chat, PhrasesAreCutTo255Characters) {
    const std::string longPhrase(300, 'x');
    writeLines("Base/BigString.Dat", {"Длинно."});
    writeLines("Base/Povtor.Dat", {"Опять."});
    const Session s = run(longPhrase + "\n/quit\n");
    EXPECT_EQ(s.out.substr(0, s.out.find('\n')), std::string(255, 'x') + ".");
}

TEST_F(Chat, CommandsDriveTheDialogueAndSelfTalk) {
    const Session s = run("/cpu\n/tick\n/undo\n/user\nпривет\n/new\n/quit\n");
    EXPECT_EQ(s.out, "Сервис:   // Режим диалога Cpu\\Cpu.\n"
                     "Привет\n.\nЗдравствуй!\n"
                     "Сервис:   // Режим диалога Cpu\\User.\n\n"
                     "NomerRazryada = 1\nПривет.\nЗдравствуй!\n");
    EXPECT_EQ(readBytes("D/Txt.Dat"), utf8ToCp1251("Здравствуй!\r\n"));
}

// A person at a terminal is greeted, prompted and told what each command did,
// in Russian; what the pane shows on standard output stays the same.
TEST_F(Chat, GreetsAPersonAtATerminalOnStandardError) {
    const std::string input = "привет\n/undo\n/undo\n/undo\n/new\n/cpu\n/user\n/quit\n";
    std::istringstream in(input);
    std::ostringstream out, err;
    EXPECT_EQ(runChatCommand({"--workdir=" + dir_.path().string()}, in, out, err, true), 0);
    const Session script = run(input);
    EXPECT_EQ(out.str(), script.out);
    EXPECT_EQ(script.err, "");
    EXPECT_EQ(err.str(), "Введите фразу и нажмите Enter. Команды: /new /undo /cpu /user /tick "
                         "/exit /quit /help\n"
                         "Вы: Вы: Последняя строка удалена.\nВы: Последняя строка удалена.\n"
                         "Вы: Удалять нечего.\nВы: Новый диалог.\n"
                         "Вы: Режим Cpu\\Cpu: /tick делает шаг разговора с собой.\n"
                         "Вы: Режим Cpu\\User.\nВы: ");
}

TEST_F(Chat, TypedPhraseInSelfTalkModeRunsOnTheExchangeBuffer) {
    const Session s = run("/cpu\nслова\n/tick\nслова\n/quit\n");
    EXPECT_EQ(s.out, "Сервис:   // Режим диалога Cpu\\Cpu.\n"
                     "Привет\n.\nЗдравствуй!\n"
                     "NomerRazryada = 1\nЗдравствуй!\n.\nПонятно.\n");
}

TEST_F(Chat, FileErrorsAreReportedAndTheSessionGoesOn) {
    std::filesystem::remove(dir_.path() / "Base/X.Dat");
    const Session s = run("ты хам\nпривет\n/quit\n");
    EXPECT_EQ(s.err, "Cannot open file Base\\X.Dat: No such file or directory\n");
    EXPECT_EQ(s.out, "Привет.\nЗдравствуй!\n");
    EXPECT_EQ(s.status, 1);
}

TEST_F(Chat, MissingLogIsAnErrorAtExit) {
    std::filesystem::remove(dir_.path() / "Base/Log.Halden");
    const Session s = run("/exit\n");
    EXPECT_EQ(s.err, "Cannot open file Base\\Log.Halden: No such file or directory\n");
    EXPECT_EQ(s.status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir_.path() / "Base/Log.Halden"));
}

TEST_F(Chat, SameInputOnSameFilesGivesSameOutputAndFiles) {
    writeLines("Base/W2.Dat", {"Раз.", "Два.", "Три.", "Четыре."});
    writeLines("Base/Pause.Dat", {"Эй."});
    const std::string input = "один\nдва\nтри\nчетыре\nпять\nшесть\n";
    const auto snapshot = [&] {
        return readBytes("Base/Words.Dat") + readBytes("Base/W1.Dat") + readBytes("Base/W2.Dat") +
               readBytes("Base/Log.Halden");
    };
    const std::string words = readBytes("Base/Words.Dat"), w2 = readBytes("Base/W2.Dat");
    const Session first = run(input);
    const std::string filesAfterFirst = snapshot();
    std::ofstream(dir_.path() / "Base/Words.Dat", std::ios::binary) << words;
    std::ofstream(dir_.path() / "Base/W2.Dat", std::ios::binary) << w2;
    writeLines("Base/W1.Dat", {"Не знаю?"});
    writeLines("Base/Log.Halden", {});
    const Session second = run(input);
    EXPECT_EQ(first.out, second.out);
    EXPECT_EQ(filesAfterFirst, snapshot());
}

TEST_F(Chat, BadOptionsAndMissingWorkdir) {
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(runChatCommand({"--bogus"}, in, out, err), 2);
    EXPECT_EQ(runChatCommand({"--workdir", "/no/such/dir"}, in, out, err), 2);
    EXPECT_EQ(runChatCommand({"--drive", "D"}, in, out, err), 2);
    EXPECT_NE(err.str().find("unknown option"), std::string::npos);
}

TEST_F(Chat, DriveOptionMovesTheExchangeFile) {
    TempDir other;
    std::ofstream(other.path() / "Txt.Dat", std::ios::binary) << utf8ToCp1251("погода\r\n");
    const Session s = run("/tick\n/quit\n", {"--drive", "D=" + other.path().string()});
    EXPECT_EQ(s.out, "Погода\n.\nСолнечно.\n");
    EXPECT_EQ(readBytes("D/Txt.Dat"), utf8ToCp1251("привет\r\n"));
}

TEST_F(Chat, LearningDialogueShapesTheFiles) {
    writeLines("Base/Words.Dat",
               {"Фразы", "ЯСНО.^Вот и хорошо.;", "_ДА?^Ага.;", "ПРИВЕТ^Здравствуй!;"});
    writeLines("Base/W1.Dat", {"Да?"});
    writeLines("Base/W2.Dat", {"Ясно."});
    const Session s = run("привет\nкак жизнь\nчто нового?\n/new\nа ты?\n/exit\n");
    EXPECT_EQ(s.out, "Привет.\nЗдравствуй!\n"
                     "NomerRazryada = 1\nКак жизнь.\nЯсно.\n"
                     "Что нового?\nДа?\n"
                     "А ты?\nДа?\n");
    // Depth marks grow along the dialogue and start again after /new; each
    // answered line moves to the end with its own depth.
    EXPECT_EQ(readLines("Base/Words.Dat"),
              (std::vector<std::string>{"Фразы", "ПРИВЕТ^Здравствуй!;", "_КАК ЖИЗНЬ.^",
                                        "__ЧТО НОВОГО?^", "ЯСНО.^Вот и хорошо.;Что нового?;",
                                        "А ТЫ?^", "_ДА?^Ага.;А ты?;"}));
    EXPECT_EQ(readLines("Base/W2.Dat"),
              (std::vector<std::string>{"Ясно.", "Как жизнь.", "Что нового?"}));
    EXPECT_EQ(readLines("Base/W1.Dat"), (std::vector<std::string>{"Да?", "А ты?"}));
    const auto log = readLines("Base/Log.Halden");
    ASSERT_EQ(log.size(), 9u);
    EXPECT_EQ(log[5], "//Загружено фраз выученных программой: 6");
    EXPECT_EQ(log[6], "USER:     А ты?");
    EXPECT_EQ(log[7], "CPU:     Да?");
}

TEST_F(Chat, UnreadableListStopsTheExchangeAndLeavesTheOtherFiles) {
    const std::string words = readBytes("Base/Words.Dat");
    const std::string w1 = readBytes("Base/W1.Dat");
    std::filesystem::remove(dir_.path() / "Base/W2.Dat");
    std::filesystem::create_directory(dir_.path() / "Base/W2.Dat"); // cannot be read as a file
    const Session s = run("привет\nнечто новое\n/exit\n");
    EXPECT_EQ(s.err, "Cannot open file Base\\W2.Dat: Is a directory\n");
    EXPECT_EQ(s.out, "Привет.\nЗдравствуй!\nNomerRazryada = 1\n");
    EXPECT_EQ(readBytes("Base/Words.Dat"), words);
    EXPECT_EQ(readBytes("Base/W1.Dat"), w1);
    EXPECT_EQ(readLines("Base/Log.Halden").size(), 9u) << "the log still gets its block";
    EXPECT_EQ(s.status, 1);
}

TEST_F(Chat, MissingTreeAtExitWritesNoLog) {
    run("привет\n/quit\n");
    std::filesystem::remove(dir_.path() / "Base/Words.Dat");
    const Session s = run("/exit\n");
    EXPECT_EQ(s.err, "Cannot open file Base\\Words.dat: No such file or directory\n");
    EXPECT_TRUE(readLines("Base/Log.Halden").empty());
}

// A whole learning exchange on a big tree, killed at any moment: each file
// loads to its lines before or after each of its saves, and the next session
// removes the temporary files that the kills left.
TEST_F(Chat, KilledLearningExchangeLeavesWholeFilesAndNoTemporaries) {
    std::vector<std::string> tree{"Фразы"};
    for (int i = 0; i < 200000; ++i) {
        tree.push_back(std::string(static_cast<std::size_t>(i % 3), '_') + "КЛЮЧ " +
                       std::to_string(i) + "?^Ответ.;");
    }
    tree.push_back("ПРИВЕТ^Здравствуй!;");
    tree.push_back("ЗДРАВСТВУЙ!^");
    writeLines("Base/Words.Dat", tree);
    const std::string input = "привет\nсовсем новое\n/quit\n"; // two saves of the tree
    const std::vector<std::string> files{"Base/Words.Dat", "Base/W2.Dat", "Base/Log.Halden"};
    // Each file's whole states as lines, and as bytes already seen to load so.
    std::map<std::string, std::vector<std::vector<std::string>>> whole;
    std::map<std::string, std::vector<std::string>> wholeBytes;
    for (const auto& file : files) {
        wholeBytes[file].push_back(readBytes(file));
        whole[file].push_back(parseKnowledgeFile(wholeBytes[file][0]));
    }
    const auto restore = [&] {
        for (const auto& file : files) {
            std::ofstream(dir_.path() / file, std::ios::binary) << wholeBytes[file][0];
        }
    };
    const auto started = std::chrono::steady_clock::now();
    run(input);
    const auto duration = std::chrono::steady_clock::now() - started;
    for (const auto& file : files) {
        wholeBytes[file].push_back(readBytes(file));
        whole[file].push_back(parseKnowledgeFile(wholeBytes[file][1]));
    }
    auto& trees = whole["Base/Words.Dat"];
    ASSERT_EQ(trees[1].size(), tree.size() + 1);
    ASSERT_EQ(cp1251ToUtf8(trees[1].back()), "ЗДРАВСТВУЙ!^Совсем новое.;");
    // Between its two saves the tree holds the new line, the answer not yet.
    trees.push_back(trees[0]);
    trees.back().push_back(trees[1][trees[1].size() - 2]);
    const auto loadsWhole = [&](const std::string& file) {
        std::string bytes = readBytes(file);
        auto& seen = wholeBytes[file];
        if (std::find(seen.begin(), seen.end(), bytes) != seen.end()) {
            return true;
        }
        const auto& states = whole[file];
        if (std::find(states.begin(), states.end(), parseKnowledgeFile(bytes)) == states.end()) {
            return false;
        }
        seen.push_back(std::move(bytes));
        return true;
    };

    std::mt19937 random(2612);
    std::uniform_int_distribution<std::int64_t> killMoment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(duration).count());
    for (int round = 0; round < 5; ++round) {
        restore();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::istringstream in(input);
            std::ostringstream out, err;
            ::_exit(runChatCommand({"--workdir", dir_.path().string()}, in, out, err));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(killMoment(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        for (const auto& file : files) {
            EXPECT_TRUE(loadsWhole(file)) << file << " is torn after kill " << round;
        }
    }
    std::ofstream(dir_.path() / "Base/.W2.Dat.besedka-Kx9Pq2") << "torn"; // surely one leftover
    restore();
    run(input);
    EXPECT_EQ(hiddenFilesInBase(), 0u);
    EXPECT_EQ(readBytes("Base/Words.Dat"), wholeBytes["Base/Words.Dat"][1]);
}

} // namespace
} // namespace besedka::test

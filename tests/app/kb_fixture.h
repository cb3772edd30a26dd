#pragma once

// A kb subcommand run in the test's own process, and working directories
// made for it, for the tests of the kb subcommands.

#include "chat_command.h"
#include "engine_fixture.h"
#include "files/backups.h"
#include "files/string_list.h"
#include "kb/command.h"
#include "temp_dir.h"
#include "text/cp1251.h"
#include "text/plain_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace besedka::test {

namespace fs = std::filesystem;

struct KbRun {
    int status = 0;
    std::string out;
    std::string err;
};

inline KbRun kb(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runKbCommand(args, out, err);
    return {status, out.str(), err.str()};
}

inline void writeBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::size_t countLines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A complete working directory whose tree holds `treeLines` (UTF-8), some
// names in other letter cases as a copied Windows folder may have them.
inline void makeWorkdir(const fs::path& dir, const std::vector<std::string>& treeLines) {
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

inline const std::vector<std::string> kGoodTree = {
    "Заголовок без разметки",
    "ПРИВЕТ^Привет!;Здравствуй.;",
    "_КАК ДЕЛА?^Хорошо.;",
    "__А У ТЕБЯ^Тоже.;",
    "ПОКА^",
};

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

} // namespace besedka::test

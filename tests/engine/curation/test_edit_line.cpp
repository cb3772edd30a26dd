#include "curation/curation_error.h"
#include "curation/edit_line.h"
#include "files/backups.h"

#include "temp_dir.h"
#include "text/cp1251.h"
#include "text/plain_text.h"
#include "text/tree_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace besedka {
namespace {
namespace fs = std::filesystem;

// A working directory holding only a tree, with its own state home.
class EditLine : public ::testing::Test {
  protected:
    EditLine() {
        ::setenv("XDG_STATE_HOME", state_.path().c_str(), 1);
        fs::create_directories(dir_.path() / "Base");
        std::ofstream(dir_.path() / "Base" / "Words.Dat", std::ios::binary) << utf8ToCp1251(
            "Заголовок\r\nПРИВЕТ^Привет!;Здравствуй.;\r\n_КАК ДЕЛА?^\r\nСЛОМАНА\r\n");
    }
    ~EditLine() override { ::unsetenv("XDG_STATE_HOME"); }

    std::vector<std::string> lines() const {
        StringList tree;
        tree.load(files_, "Base\\Words.Dat");
        std::vector<std::string> utf8;
        for (const std::string& line : tree.lines()) {
            utf8.push_back(cp1251ToUtf8(line));
        }
        return utf8;
    }
    static ShownLine shown(std::size_t number, const std::string& utf8) {
        return {number, utf8ToCp1251(utf8)};
    }

    test::TempDir state_;
    test::TempDir dir_;
    FileStore files_{PathMap(dir_.path())};
};

TEST_F(EditLine, ChangesKeysAndAnswersInPlace) {
    setKey(files_, shown(3, "_КАК ДЕЛА?^"), "как жизнь?", {});
    addAnswer(files_, shown(3, "_КАК ЖИЗНЬ?^"), "Отлично!", {});
    setAnswer(files_, shown(2, "ПРИВЕТ^Привет!;Здравствуй.;"), 2, "Добрый день.", {});
    const NumberedLine last = removeAnswer(files_, shown(2, "ПРИВЕТ^Привет!;Добрый день.;"), 1, {});
    EXPECT_EQ(cp1251ToUtf8(last.text), "ПРИВЕТ^Добрый день.;");
    EXPECT_EQ(lines(), (std::vector<std::string>{"Заголовок", "ПРИВЕТ^Добрый день.;",
                                                 "_КАК ЖИЗНЬ?^Отлично!;", "СЛОМАНА"}));
    EXPECT_EQ(listBackups(*findBackupFolder(dir_.path())).size(), 1u) << "one backup per store";
}

TEST_F(EditLine, RefusesBeforeWritingAnything) {
    const std::vector<std::string> before = lines();
    const ShownLine greeting = shown(2, "ПРИВЕТ^Привет!;Здравствуй.;");
    for (const char* text : {"", "а^б", "под_чёркнутый", "раз;два", "две\nстроки", "日本"}) {
        EXPECT_THROW(setKey(files_, greeting, text, {}), CurationError) << text;
        EXPECT_THROW(addAnswer(files_, greeting, text, {}), CurationError) << text;
    }
    EXPECT_THROW(setAnswer(files_, greeting, 3, "Третий.", {}), CurationError);
    EXPECT_THROW(removeAnswer(files_, greeting, 0, {}), CurationError);
    EXPECT_THROW(addAnswer(files_, shown(2, "ПРИВЕТ^Привет!;"), "Ещё.", {}), CurationError)
        << "the line changed since it was shown";
    EXPECT_THROW(addAnswer(files_, shown(4, "СЛОМАНА"), "Ответ.", {}), CurationError)
        << "a line that breaks the grammar";
    EXPECT_THROW(addAnswer(files_, shown(1, "Заголовок"), "Ответ.", {}), CurationError);
    EXPECT_THROW(addAnswer(files_, shown(9, ""), "Ответ.", {}), CurationError);
    EXPECT_EQ(lines(), before);

    // Each refusal names itself and the line and answer it is about, for a
    // window that words it in its own language.
    const auto refusalOf = [](const auto& step) -> std::optional<CurationError> {
        try {
            step();
        } catch (const CurationError& error) {
            return error;
        }
        return std::nullopt;
    };
    const auto noAnswer = refusalOf([&] { setAnswer(files_, greeting, 3, "Третий.", {}); });
    ASSERT_TRUE(noAnswer);
    EXPECT_EQ(noAnswer->code(), Refusal::NoSuchAnswer);
    EXPECT_EQ(noAnswer->facts().line, 2u);
    EXPECT_EQ(noAnswer->facts().number, 3u);
    EXPECT_EQ(noAnswer->facts().path, "Base\\Words.Dat");
    const auto changed = refusalOf([&] { addAnswer(files_, shown(2, "ПРИВЕТ^"), "Ещё.", {}); });
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->code(), Refusal::LineChanged);
    EXPECT_EQ(changed->facts().text, "ПРИВЕТ^Привет!;Здравствуй.;");
    const auto broken = refusalOf([&] { addAnswer(files_, shown(4, "СЛОМАНА"), "Ответ.", {}); });
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->code(), Refusal::LineBreaksGrammar);
    EXPECT_EQ(broken->facts().number, static_cast<std::size_t>(TreeLineFault::NoSeparator));
    const auto missing = refusalOf([&] { addAnswer(files_, shown(9, ""), "Ответ.", {}); });
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->code(), Refusal::NoLearnedLine);
    EXPECT_EQ(missing->facts().line, 9u);
    const auto delimiter = refusalOf([&] { setKey(files_, greeting, "а^б", {}); });
    ASSERT_TRUE(delimiter);
    EXPECT_EQ(delimiter->code(), Refusal::PhraseDelimiter);
    EXPECT_FALSE(fs::exists(*findBackupFolder(dir_.path()))) << "nothing saved, nothing backed up";

    EXPECT_EQ(phraseProblem("Ёлка, «ёж» — №1"), std::nullopt);
    EXPECT_EQ(phraseProblem("日本"), PhraseProblem::NotInCodePage);
    EXPECT_EQ(phraseProblem("\xFF"), PhraseProblem::NotInCodePage) << "invalid UTF-8";
}

} // namespace
} // namespace besedka

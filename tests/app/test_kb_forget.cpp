// kb forget: lines removed with their branches, only while they are still
// the ones named, and only after a backup.
#include "kb_fixture.h"

#include "curation/curation_error.h"
#include "curation/forget.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace besedka::test {
namespace {

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

} // namespace
} // namespace besedka::test

// Merging another knowledge base, and the export documents that carry one.
#include "curation/change_backup.h"
#include "curation/curation_error.h"
#include "curation/knowledge_json.h"
#include "curation/merge.h"

#include "engine_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace besedka::test {
namespace {

TextLines linesOf(const std::vector<std::string>& utf8Lines) {
    return StringList(toCp1251(utf8Lines)).textLines();
}

class Merge : public EngineTest {
  protected:
    Merge() { ::setenv("XDG_STATE_HOME", state_.path().c_str(), 1); }
    ~Merge() override { ::unsetenv("XDG_STATE_HOME"); }
    TempDir state_;
};

TEST_F(Merge, PlacesLinesInTheirBranchUnitesAnswersAndChangesNothingTheSecondTime) {
    writeLines("Base/Words.Dat",
               {"header", "ЛЕС^Тихо.;", "_ГРИБЫ^Много.;", "МОРЕ^Шумно.;", "сломана"});
    writeLines("Base/W1.Dat", {"А", "Б"});
    KnowledgeContent source;
    // Of its broken lines, the one the target holds takes its branch; the
    // other is passed over with its branch.
    source.tree =
        linesOf({"другой", "ЛЕС^Темно.;Тихо.;", "_ГРИБЫ^Много.;", "__БЕЛЫЕ^Редко.;", "_ЯГОДЫ^",
                 "сломана", "_ПОД НЕЙ^x;", "ЧУЖАЯ^без точки", "_ВЕТКА^y;", "НЕБО^Синее.;"});
    source.lists.push_back({"W1.Dat", linesOf({"Б", "В", "В", "А", "Г"})});

    const MergeFigures once = mergeKnowledge(files_, source, {}, {});
    EXPECT_EQ((std::vector<std::size_t>{once.newLines, once.newAnswers, once.knownLines,
                                        once.passedOver}),
              (std::vector<std::size_t>{4, 1, 3, 2}));
    EXPECT_EQ(readLines("Base/Words.Dat"),
              (std::vector<std::string>{"header", "ЛЕС^Тихо.;Темно.;", "_ГРИБЫ^Много.;",
                                        "__БЕЛЫЕ^Редко.;", "_ЯГОДЫ^", "МОРЕ^Шумно.;", "сломана",
                                        "_ПОД НЕЙ^x;", "НЕБО^Синее.;"}));
    ASSERT_EQ(once.lists.size(), 1u);
    EXPECT_EQ(once.lists[0].added, 2u);
    EXPECT_EQ(readLines("Base/W1.Dat"), (std::vector<std::string>{"А", "Б", "В", "Г"}));

    const std::string tree = readBytes("Base/Words.Dat");
    const std::string list = readBytes("Base/W1.Dat");
    FileStore again{PathMap(dir_.path())};
    const MergeFigures twice = mergeKnowledge(again, source, {}, {});
    EXPECT_EQ(twice.newLines + twice.newAnswers + twice.lists[0].added, 0u);
    EXPECT_EQ(readBytes("Base/Words.Dat"), tree);
    EXPECT_EQ(readBytes("Base/W1.Dat"), list);
}

TEST_F(Merge, WithoutABackupChangesNothingUnlessToldTo) {
    writeLines("Base/Words.Dat", {"header", "ЛЕС^Тихо.;"});
    const std::string before = readBytes("Base/Words.Dat");
    KnowledgeContent source;
    source.tree = linesOf({"другой", "НЕБО^Синее.;"});
    const std::string stateFile = (state_.path() / "a file").string();
    std::ofstream(stateFile).put('x');
    ::setenv("XDG_STATE_HOME", stateFile.c_str(), 1);
    EXPECT_THROW(mergeKnowledge(files_, source, {}, {}), NoBackupMade);
    EXPECT_THROW(writeKnowledgeContent(files_, source, {}), NoBackupMade);
    try {
        mergeKnowledge(files_, source, {}, {});
        ADD_FAILURE() << "merged without a backup";
    } catch (const NoBackupMade& refused) {
        // The folder that could not be made lies under the file.
        EXPECT_EQ(refused.code(), Refusal::NoBackupFileFailed);
        EXPECT_TRUE(refused.facts().path.starts_with(stateFile)) << refused.facts().path;
        EXPECT_EQ(refused.facts().reason, std::errc::not_a_directory);
    }
    EXPECT_EQ(readBytes("Base/Words.Dat"), before);

    mergeKnowledge(files_, source, {.withoutBackup = true}, {});
    EXPECT_EQ(readLines("Base/Words.Dat").back(), "НЕБО^Синее.;");
}

TEST_F(Merge, PutsANewLineBeforeAShorterKeyThatWouldTakeIt) {
    writeLines("Base/Words.Dat", {"header", "ЛЕС^Тихо.;", "_ГРИБ^Есть.;", "МОРЕ^Шумно.;"});
    KnowledgeContent source;
    source.tree = linesOf({"другой", "ЛЕС^Тихо.;", "_БЕЛЫЙ ГРИБ^Редко.;", "ТЁМНЫЙ ЛЕС^Страшно.;"});
    mergeKnowledge(files_, source, {}, {});
    EXPECT_EQ(readLines("Base/Words.Dat"),
              (std::vector<std::string>{"header", "ТЁМНЫЙ ЛЕС^Страшно.;", "ЛЕС^Тихо.;",
                                        "_БЕЛЫЙ ГРИБ^Редко.;", "_ГРИБ^Есть.;", "МОРЕ^Шумно.;"}));
}

TEST(KnowledgeJson, RefusesWhatIsNotTheFormatNamingWhere) {
    const std::string head = R"({"format": "besedka-knowledge", "version": 1, )";
    const std::vector<std::pair<std::string, std::string>> cases{
        {"[]", "the document"},
        {"{\"tree\": [], ", "line 1, column"},
        {R"({"format": "other", "version": 1})", "format: \"other\""},
        {R"({"format": "besedka-knowledge"})", "version: missing"},
        {head + R"("tree": [{"line": "h"}, {"keys": "A"}]})", "tree[1]: unknown field \"keys\""},
        {head + R"("tree": [{"depth": 0, "key": "A;B", "answers": []}]})", "tree[0].key"},
        {head + R"("tree": [{"depth": -1, "key": "A", "answers": []}]})", "tree[0].depth"},
        {head + R"("tree": [{"depth": 0, "key": "A"}]})", "tree[0]: neither"},
        {head + R"("tree": [{"line": "h"}, {"line": "x"}, {"line": "y"}, {"line": "z"},
                           {"depth": 0, "key": "ДА", "answers": []},
                           {"depth": 1, "key": "Нет", "answers": []}]})",
         "tree[5].key: not in capitals"},
        {head + R"("tree": [{"depth": 0, "key": "A", "answers": ["x\ny"]}]})",
         "tree[0].answers[0]: a line break"},
        {head + R"("lists": {"Y.Dat": []}})", "no reply list is called \"Y.Dat\""},
        {head + R"("lists": {"W1.Dat": ["да", "日"]}})", "lists.W1.Dat[1]: a character without"},
    };
    for (const auto& [document, where] : cases) {
        try {
            parseKnowledgeJson(document);
            ADD_FAILURE() << "accepted: " << document;
        } catch (const CurationError& error) {
            EXPECT_NE(std::string(error.what()).find(where), std::string::npos)
                << error.what() << "\nfor: " << document;
        }
    }
    // A tree line whose key is not in capitals goes out as the line it is,
    // and so comes back.
    const KnowledgeContent lowered =
        parseKnowledgeJson(head + R"("tree": [{"line": "h"}, {"line": "нет^Да.;"}]})");
    EXPECT_NE(knowledgeJson(lowered).find(R"({"line": "нет^Да.;"})"), std::string::npos);
}

// A document that is not JSON is refused with the parser's place and reason,
// in parts for a window that words them in its own language.
TEST(KnowledgeJson, ASyntaxErrorGivesThePlaceAndTheParsersReason) {
    const std::string head = R"({"format": "besedka-knowledge", "version": 1, )";
    struct Case {
        std::string document;
        std::size_t line, column;
        std::string invalid, unexpected, expected, said;
    };
    const std::vector<Case> cases{
        {head + R"("tree": [ })", 1, 57, "", "'}'", "'[', '{', or a literal",
         "line 1, column 57: syntax error while parsing value - unexpected '}'; expected '[', "
         "'{', or a literal (byte 57)"},
        {"{\n\"format\": \"besedka-knowledge\",\n  \"version\": 1 \"tree\"", 3, 21, "",
         "string literal", "'}'", "unexpected string literal; expected '}' (byte 54)"},
        {R"({"format": "besedka-knowledge")", 1, 31, "", "end of input", "'}'",
         "unexpected end of input"},
        // The bytes last read look like an expectation; they are not one.
        {head + R"("tree": [{"line": "x; expected '}')", 1, 81,
         "invalid string: missing closing quote", "", "", "missing closing quote (byte 81)"},
        {"\xEF\xBB{}", 1, 3, "invalid BOM; must be 0xEF 0xBB 0xBF if given", "", "", "invalid BOM"},
    };
    for (const Case& c : cases) {
        try {
            parseKnowledgeJson(c.document);
            ADD_FAILURE() << "accepted: " << c.document;
        } catch (const CurationError& error) {
            EXPECT_EQ(error.code(), Refusal::DocumentSyntax) << error.what();
            EXPECT_NE(std::string(error.what()).find(c.said), std::string::npos) << error.what();
            EXPECT_EQ(std::string(error.what()).find("last read"), std::string::npos);
            EXPECT_EQ(error.facts().line, c.line) << error.what();
            EXPECT_EQ(error.facts().total, c.column) << error.what();
            EXPECT_EQ(error.facts().text, c.invalid) << error.what();
            ASSERT_EQ(error.facts().names.size(), 2U);
            EXPECT_EQ(error.facts().names[0], c.unexpected) << error.what();
            EXPECT_EQ(error.facts().names[1], c.expected) << error.what();
        }
    }
}

} // namespace
} // namespace besedka::test

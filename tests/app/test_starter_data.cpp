// The starter data the program fills a new working directory from: it passes
// kb check, keeps its form through self-talk, and its sounds are short waves.
#include "kb_fixture.h"

#include "talk/phrase.h"
#include "talk/word_lists.h"
#include "text/tree_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace besedka::test {
namespace {

const fs::path kDataDir = fs::path(BESEDKA_SOURCE_DIR) / "data";

TEST(StarterData, PassesTheCheck) {
    const KbRun run = kb({"check", kDataDir.string()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
}

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

// Root keys are found only when no insult entry in the same phrase answers
// first; answers are shown phrases.
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
} // namespace besedka::test

// The conversation hub: many dialogues on one working directory, batched.
#include "curation/stats.h"
#include "files/directory_lock.h"
#include "files/file_store.h"
#include "files/string_list.h"
#include "hub/conversation_hub.h"
#include "hub/hub_thread.h"
#include "talk/clock.h"
#include "talk/engine.h"
#include "talk/host.h"
#include "temp_dir.h"
#include "text/cp1251.h"
#include "text/tree_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

namespace besedka::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::uint32_t kClockStart = 36'000'000; // 10:00

// The starter working directory in a temporary folder.
class Workdir {
  public:
    Workdir() {
        fs::copy(fs::path(BESEDKA_SOURCE_DIR) / "data", dir_.path(), fs::copy_options::recursive);
    }
    const fs::path& path() const { return dir_.path(); }
    fs::path base() const { return dir_.path() / "Base"; }

    // Every file of Base with its bytes, for comparing two directories.
    std::map<std::string, std::string> baseFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(base())) {
            if (!entry.is_regular_file()) {
                continue;
            }
            std::ifstream in(entry.path(), std::ios::binary);
            files[entry.path().filename().string()] =
                std::string((std::istreambuf_iterator<char>(in)), {});
        }
        return files;
    }
    std::vector<std::string> tree() const {
        std::ifstream in(base() / "Words.Dat", std::ios::binary);
        return parseKnowledgeFile(std::string((std::istreambuf_iterator<char>(in)), {}));
    }

  private:
    TempDir dir_;
};

// A hub over a working directory, on a fake clock and fake steady time.
struct HubRig {
    explicit HubRig(const Workdir& workdir, HubOptions options = {})
        : files(PathMap(workdir.path())), clock(kClockStart), hub(files, clock, options) {}

    std::vector<TurnOutcome> run(const std::vector<SayRequest>& turns) {
        return hub.runBatch(turns, now);
    }
    TurnOutcome say(const std::string& id, const std::string& text) {
        return run({{id, text}}).front();
    }

    FileStore files;
    FakeClock clock;
    ConversationHub hub;
    HubInstant now{};
};

// Turns of several conversations that both hit the tree and learn: each
// conversation asks something, then says things the tree does not know.
std::vector<std::vector<SayRequest>> rounds() {
    const std::vector<std::string> phrases{"привет",
                                           "как дела?",
                                           "расскажи про море",
                                           "море шумит у берега",
                                           "а ты был на море?",
                                           "мне нравится осень",
                                           "почему?",
                                           "потому что листья",
                                           "что ты любишь?",
                                           "люблю гулять",
                                           "пока"};
    std::vector<std::vector<SayRequest>> all;
    for (std::size_t round = 0; round < phrases.size(); ++round) {
        std::vector<SayRequest> turns;
        for (int c = 0; c < 4; ++c) {
            // Each conversation says its own variant, so that they learn apart.
            const std::size_t pick = (round + static_cast<std::size_t>(c)) % phrases.size();
            const std::string text = phrases[pick] == "пока" || c == 0
                                         ? phrases[pick]
                                         : phrases[pick] + " " + std::to_string(c);
            turns.push_back({"c" + std::to_string(c), text});
        }
        all.push_back(turns);
    }
    return all;
}

TEST(ConversationHub, BatchedTurnsLeaveTheFilesOfTheSameTurnsRunOneByOne) {
    const Workdir batched;
    const Workdir serial;
    HubRig inBatches(batched);
    HubRig oneByOne(serial);
    std::size_t learned = 0;
    for (const auto& turns : rounds()) {
        const auto together = inBatches.run(turns);
        for (std::size_t i = 0; i < turns.size(); ++i) {
            const TurnOutcome alone = oneByOne.say(turns[i].conversation, turns[i].text);
            ASSERT_FALSE(together[i].error) << together[i].error->message;
            EXPECT_EQ(together[i].reply, alone.reply);
            EXPECT_EQ(together[i].learned, alone.learned);
            EXPECT_EQ(together[i].ended, alone.ended);
            learned += together[i].learned ? 1 : 0;
        }
    }
    inBatches.hub.endAll(inBatches.now);
    oneByOne.hub.endAll(oneByOne.now);
    EXPECT_GT(learned, 10U) << "the script must learn to prove anything";
    EXPECT_EQ(batched.baseFiles(), serial.baseFiles());
    EXPECT_EQ(inBatches.hub.counters().batches, rounds().size());
    EXPECT_LT(inBatches.hub.counters().commits, oneByOne.hub.counters().commits);
}

// The chat's front end for one dialogue, with the sounds and input left out.
class Quiet final : public Host {
  public:
    void playCue(Cue /*cue*/) override {}
    void clearInput() override {}
    void startClosing() override {}
};

TEST(ConversationHub, OneConversationLeavesTheTreeTheChatLeaves) {
    const Workdir viaHub;
    const Workdir viaChat;
    HubRig hub(viaHub);
    FileStore chatFiles{PathMap(viaChat.path())};
    FakeClock chatClock(kClockStart);
    Quiet host;
    Engine chat(chatFiles, chatClock, host);
    for (const auto& turns : rounds()) {
        const SayRequest& turn = turns[1]; // one conversation's phrases
        const TurnOutcome outcome = hub.say("alone", turn.text);
        const ExchangeResult result = chat.say(utf8ToCp1251(turn.text));
        EXPECT_EQ(outcome.reply, cp1251ToUtf8(result.reply));
        EXPECT_EQ(outcome.shown, cp1251ToUtf8(result.shown));
        if (result.farewell) {
            chat.appendDialogueLog(chatClock.localNow());
        }
    }
    EXPECT_EQ(viaHub.baseFiles(), viaChat.baseFiles());
}

// Each new line's outline parent: the nearest line before it that is less
// deep, by key; the lines of `before` are left out.
std::map<std::string, std::string> parents(const std::vector<std::string>& tree, std::size_t from) {
    std::map<std::string, std::string> out;
    for (std::size_t i = from; i < tree.size(); ++i) {
        const TreeLine line(tree[i]);
        std::string parent = "(root)";
        for (std::size_t j = i; j-- > 1;) {
            const TreeLine candidate(tree[j]);
            if (candidate.depth() < line.depth()) {
                parent = std::string(candidate.key());
                break;
            }
        }
        if (line.depth() > 0 || i >= from) {
            out[std::string(line.key())] = parent;
        }
    }
    return out;
}

TEST(ConversationHub, EachDialogueLearnsInItsOwnBranchAsIfAlone) {
    const std::vector<std::string> first{"привет", "в лесу темно", "волки воют", "мне страшно",
                                         "костёр греет"};
    const std::vector<std::string> second{"привет", "город не спит", "огни горят", "машины едут",
                                          "метро гудит"};
    const auto alone = [](const std::vector<std::string>& phrases) {
        const Workdir workdir;
        const std::size_t before = workdir.tree().size();
        HubRig rig(workdir);
        for (const auto& phrase : phrases) {
            rig.say("x", phrase);
        }
        return parents(workdir.tree(), before);
    };
    const Workdir together;
    const std::size_t before = together.tree().size();
    HubRig rig(together);
    for (std::size_t i = 0; i < first.size(); ++i) {
        rig.run({{"first", first[i]}, {"second", second[i]}});
    }
    const auto mixed = parents(together.tree(), before);
    for (const auto& expected : {alone(first), alone(second)}) {
        EXPECT_GE(expected.size(), 3U);
        for (const auto& [key, parent] : expected) {
            ASSERT_TRUE(mixed.count(key)) << cp1251ToUtf8(key);
            EXPECT_EQ(mixed.at(key), parent) << cp1251ToUtf8(key);
        }
    }
}

TEST(ConversationHub, AFailedTurnLeavesNothingOfItselfInItsBatch) {
    // A farewell writes the log; a log that cannot be read fails that turn
    // after it has learned (the tree does not know "покедова"), and only
    // that one.
    const Workdir failing;
    const Workdir reference;
    for (const Workdir* workdir : {&failing, &reference}) {
        HubRig rig(*workdir);
        rig.run({{"a", "привет"}, {"b", "привет"}, {"c", "привет"}});
    }
    fs::remove(failing.base() / "Log.Halden");
    fs::create_directory(failing.base() / "Log.Halden");
    HubRig rig(failing);
    HubRig ref(reference);
    rig.run({{"a", "привет"}, {"b", "привет"}, {"c", "привет"}});
    ref.run({{"a", "привет"}, {"c", "привет"}});
    const auto outcomes = rig.run(
        {{"a", "волны бьются о скалы"}, {"b", "покедова"}, {"c", "чайки кричат над водой"}});
    ASSERT_TRUE(outcomes[1].error);
    EXPECT_EQ(outcomes[1].error->code, TurnErrorCode::FileError);
    EXPECT_FALSE(outcomes[0].error);
    EXPECT_FALSE(outcomes[2].error);
    ref.run({{"a", "волны бьются о скалы"}, {"c", "чайки кричат над водой"}});
    auto got = failing.baseFiles();
    auto want = reference.baseFiles();
    got.erase("Log.Halden");
    want.erase("Log.Halden");
    EXPECT_EQ(got, want);
    // b's dialogue is where it was before the failed turn.
    EXPECT_EQ(rig.hub.transcript("b")->size(), 2U);
}

TEST(ConversationHub, AFarewellEndsTheDialogueWithItsLogBlockAndTheIdStartsAnew) {
    const Workdir workdir;
    HubRig rig(workdir);
    rig.say("x", "привет");
    const auto outcomes = rig.run({{"x", "пока"}, {"x", "привет"}});
    EXPECT_TRUE(outcomes[0].ended);
    EXPECT_FALSE(outcomes[1].ended);
    EXPECT_EQ(rig.hub.transcript("x")->size(), 2U) << "the id's next turn starts a new dialogue";
    const FileStore files{PathMap(workdir.path())};
    EXPECT_EQ(dialoguesInLog(files).value_or(0), 1U);
    EXPECT_TRUE(rig.hub.end("x", rig.now));
    EXPECT_FALSE(rig.hub.end("x", rig.now));
    EXPECT_EQ(dialoguesInLog(files).value_or(0), 2U);
}

TEST(ConversationHub, IdleDialoguesEndAndTheLimitHolds) {
    const Workdir workdir;
    HubOptions options;
    options.maxConversations = 2;
    HubRig rig(workdir, options);
    rig.say("a", "привет");
    rig.now += 20min;
    rig.say("b", "привет");
    const TurnOutcome third = rig.say("c", "привет");
    ASSERT_TRUE(third.error);
    EXPECT_EQ(third.error->code, TurnErrorCode::TooManyConversations);
    rig.now += 11min;
    EXPECT_EQ(rig.hub.endIdle(rig.now), 1U);
    EXPECT_FALSE(rig.hub.transcript("a"));
    EXPECT_FALSE(rig.say("c", "привет").error);
    EXPECT_EQ(rig.hub.openConversations(), 2U);
}

TEST(ConversationHub, TextsTheChatCannotTakeAreRefusedAndOthersNeverLearnAQuestionMark) {
    const Workdir workdir;
    HubRig rig(workdir);
    const auto code = [&](const std::string& id, const std::string& text) {
        const TurnOutcome outcome = rig.say(id, text);
        return outcome.error ? outcome.error->code : TurnErrorCode::ShuttingDown;
    };
    EXPECT_EQ(code("x", "😀😀"), TurnErrorCode::NothingToSay);
    EXPECT_EQ(code("x", "\x01\x02"), TurnErrorCode::NothingToSay);
    EXPECT_EQ(code("x", "a^b"), TurnErrorCode::ReservedCharacters);
    EXPECT_EQ(code("bad id", "привет"), TurnErrorCode::BadConversation);
    EXPECT_EQ(code(std::string(65, 'a'), "привет"), TurnErrorCode::BadConversation);
    EXPECT_EQ(rig.hub.openConversations(), 0U);
    rig.say("x", "привет");
    const TurnOutcome outcome = rig.say("x", "🌊 море 😀");
    EXPECT_EQ(outcome.shown, " море .");
    for (const auto& line : workdir.tree()) {
        const std::string_view key = TreeLine(line).key();
        EXPECT_FALSE(!key.empty() && key.find_first_not_of('?') == std::string_view::npos)
            << "a key of question marks alone: " << line;
    }
}

TEST(ConversationHub, TurnsWaitNoLongerThanThePatienceForABusyBase) {
    const Workdir workdir;
    HubOptions options;
    options.lockPatience = 50ms;
    HubRig rig(workdir, options);
    const DirectoryLock other(workdir.base(), 0ms, {});
    const TurnOutcome outcome = rig.say("x", "привет");
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->code, TurnErrorCode::BaseBusy);
}

TEST(HubThread, AnswersEveryThreadAndEndsEveryDialogueWhenStopped) {
    const Workdir workdir;
    FileStore files{PathMap(workdir.path())};
    FakeClock clock(kClockStart);
    ConversationHub hub(files, clock);
    HubThread owner(hub);
    std::vector<std::thread> speakers;
    std::vector<int> answered(8, 0);
    for (int t = 0; t < 8; ++t) {
        speakers.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i) {
                const TurnOutcome outcome =
                    owner.say({"t" + std::to_string(t), "фраза " + std::to_string(i)}).get();
                answered[static_cast<std::size_t>(t)] += outcome.error ? 0 : 1;
            }
        });
    }
    for (auto& speaker : speakers) {
        speaker.join();
    }
    EXPECT_EQ(owner.openConversations().get(), 8U);
    EXPECT_EQ(owner.transcript("t3").get()->size(), 10U);
    owner.stop();
    EXPECT_EQ(owner.say({"late", "привет"}).get().error->code, TurnErrorCode::ShuttingDown);
    for (const int count : answered) {
        EXPECT_EQ(count, 5);
    }
    EXPECT_EQ(dialoguesInLog(files).value_or(0), 8U);
}

} // namespace
} // namespace besedka::test

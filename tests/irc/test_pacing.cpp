// The bot's limits in time: the outgoing queue's pace, the flood guard, the
// reconnect and rejoin delays, and the nicks it falls back to.

#include "irc/backoff.h"
#include "irc/flood_guard.h"
#include "irc/nick_choice.h"
#include "irc/send_queue.h"

#include <gtest/gtest.h>

#include <string>

namespace besedka::irc {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

const Instant kStart = Instant() + std::chrono::hours(1);

TEST(SendQueue, SendsABurstOfFourThenOneASecond) {
    SendQueue queue;
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(queue.push("line " + std::to_string(i)));
    }
    const auto burst = queue.takeDue(kStart);
    ASSERT_EQ(burst.size(), 4U);
    EXPECT_EQ(burst.front(), "line 0");
    EXPECT_TRUE(queue.takeDue(kStart + milliseconds(999)).empty());
    EXPECT_EQ(queue.nextDue(kStart + milliseconds(999)), kStart + seconds(1));
    for (int second = 1; second <= 16; ++second) {
        const auto due = queue.takeDue(kStart + seconds(second));
        ASSERT_EQ(due.size(), 1U) << second;
        EXPECT_EQ(due.front(), "line " + std::to_string(3 + second));
    }
    EXPECT_EQ(queue.waiting(), 0U);
    EXPECT_FALSE(queue.nextDue(kStart + seconds(17)));
}

TEST(SendQueue, AQuietSpellFillsTheBurstAgainButNoMore) {
    SendQueue queue(SendPace{4, milliseconds(500), 200});
    for (int i = 0; i < 12; ++i) {
        queue.push("x");
    }
    EXPECT_EQ(queue.takeDue(kStart).size(), 4U);
    EXPECT_EQ(queue.takeDue(kStart + seconds(1)).size(), 2U);  // two intervals of 500 ms
    EXPECT_EQ(queue.takeDue(kStart + seconds(60)).size(), 4U); // never more than the burst
    EXPECT_EQ(queue.takeDue(kStart + seconds(60)).size(), 0U);
    EXPECT_EQ(queue.takeDue(kStart + milliseconds(60'500)).size(), 1U);
}

TEST(SendQueue, RefusesLinesWhenFullAndStartsOverOnReset) {
    SendQueue queue(SendPace{1, seconds(1), 3});
    EXPECT_TRUE(queue.push("a"));
    EXPECT_TRUE(queue.push("b"));
    EXPECT_TRUE(queue.push("c"));
    EXPECT_FALSE(queue.push("d"));
    EXPECT_EQ(queue.takeDue(kStart).size(), 1U);
    queue.reset();
    EXPECT_EQ(queue.waiting(), 0U);
    queue.push("e");
    EXPECT_EQ(queue.takeDue(kStart), std::vector<std::string>{"e"});
}

TEST(FloodGuard, MoreThanFivePhrasesInTenSecondsMuteForAMinute) {
    FloodGuard guard;
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(guard.admit("bob", kStart + seconds(i)));
    }
    EXPECT_FALSE(guard.admit("bob", kStart + seconds(5)));
    EXPECT_TRUE(guard.admit("alice", kStart + seconds(5))) << "others are heard";
    EXPECT_FALSE(guard.admit("bob", kStart + seconds(40)));
    // The phrase at 40 s was the only one in its window: the minute runs
    // from the sixth phrase at 5 s.
    EXPECT_TRUE(guard.admit("bob", kStart + seconds(66)));
}

TEST(FloodGuard, FloodingOnWhileMutedRestartsTheMinuteAndFiveSlowPhrasesAreFine) {
    FloodGuard guard;
    Instant at = kStart;
    for (int i = 0; i < 20; ++i) { // 20 phrases in 2 seconds
        EXPECT_EQ(guard.admit("bob", at), i < 5) << i;
        at += milliseconds(100);
    }
    EXPECT_FALSE(guard.admit("bob", kStart + seconds(61))); // muted until 61.9 s
    EXPECT_TRUE(guard.admit("bob", kStart + seconds(62)));
    for (int i = 0; i < 6; ++i) {
        guard.admit("bob", kStart + seconds(70));
    }
    EXPECT_FALSE(guard.admit("bob", kStart + seconds(129)));
    EXPECT_TRUE(guard.admit("bob", kStart + seconds(131)));
    for (int i = 0; i < 30; ++i) {
        EXPECT_TRUE(guard.admit("carol", kStart + seconds(2 * i))) << i; // five in ten seconds
    }
}

TEST(FloodGuard, ANickChangeKeepsTheMuteAndQuietSendersAreForgotten) {
    FloodGuard guard;
    for (int i = 0; i < 6; ++i) {
        guard.admit("bob", kStart);
    }
    guard.rename("bob", "bob_");
    EXPECT_FALSE(guard.admit("bob_", kStart + seconds(1)));
    EXPECT_TRUE(guard.admit("bob", kStart + seconds(1)));
    guard.admit("dave", kStart + seconds(2));
    EXPECT_EQ(guard.trackedSenders(), 3U);
    guard.admit("erin", kStart + seconds(300));
    EXPECT_EQ(guard.trackedSenders(), 1U);
}

TEST(Backoff, DoublesFromTwoSecondsToFiveMinutesAndResets) {
    Backoff backoff(seconds(2), seconds(300));
    const std::vector<long> expected{2, 4, 8, 16, 32, 64, 128, 256, 300, 300};
    for (const long delay : expected) {
        EXPECT_EQ(backoff.nextDelay(), seconds(delay));
    }
    backoff.reset();
    EXPECT_EQ(backoff.nextDelay(), seconds(2));
}

TEST(NickChoice, FallsBackToUnderscoresThenNumbersWithinTheLength) {
    NickChoice nicks("besedka");
    EXPECT_EQ(nicks.nextFallback(9), "besedka_");
    EXPECT_EQ(nicks.nextFallback(9), "besedka__");
    EXPECT_EQ(nicks.nextFallback(9), "besedka1");
    EXPECT_EQ(nicks.nextFallback(9), "besedka2");
    nicks.restart();
    EXPECT_EQ(nicks.nextFallback(9), "besedka_");
    NickChoice longNick("longnickname");
    EXPECT_EQ(longNick.nextFallback(9), "longnick_");
    EXPECT_EQ(longNick.nextFallback(9), "longnic__");
    EXPECT_EQ(longNick.wanted(), "longnickname");
}

} // namespace
} // namespace besedka::irc

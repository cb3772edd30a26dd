// Turns of many conversations run as one batch through the conversation hub
// on a tree of 100,000 lines: 64 conversations that each find an answer, and
// 64 that each learn a line (one commit for all). Beside each, in the same
// iterations, its floor: one plain read of the tree per turn for the hits,
// and for the learning batch the same turns run one at a time, each its own
// batch and commit.
#include "bench_workdir.h"
#include "files/file_store.h"
#include "hub/conversation_hub.h"
#include "talk/clock.h"

namespace besedka {
namespace {

using namespace bench;

constexpr int kTreeLines = 100000;

std::vector<SayRequest> hits(int conversations) {
    std::vector<SayRequest> turns;
    for (int c = 0; c < conversations; ++c) {
        // Root lines (every fourth line is deeper), from the end of the tree.
        int line = kTreeLines - 2 - c * 4;
        line -= line % 4 == 0 ? 1 : 0;
        turns.push_back({"c" + std::to_string(c), cp1251ToUtf8(utf8ToCp1251(keyOf(line)))});
    }
    return turns;
}

void BM_HubBatchOfHits(benchmark::State& state) {
    const int conversations = static_cast<int>(state.range(0));
    BenchWorkdir workdir(kTreeLines);
    const FileStore files{PathMap(workdir.root())};
    FakeClock clock(0);
    ConversationHub hub(files, clock);
    const auto turns = hits(conversations);
    hub.runBatch(turns, {}); // the first load parses the file
    double total = 0;
    double floor = 0;
    for (auto _ : state) {
        const auto start = SteadyClock::now();
        const auto outcomes = hub.runBatch(turns, {});
        const double seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        total += seconds;
        if (outcomes.front().error || outcomes.front().learned) {
            state.SkipWithError("a hit failed or learned");
        }
        const auto floorStart = SteadyClock::now();
        plainRead(workdir.tree());
        floor += secondsSince(floorStart);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["turn_us"] = total * 1e6 / iterations / conversations;
    state.counters["read_us"] = floor * 1e6 / iterations;
}

void BM_HubBatchThatLearns(benchmark::State& state) {
    const int conversations = static_cast<int>(state.range(0));
    BenchWorkdir workdir(kTreeLines);
    const FileStore files{PathMap(workdir.root())};
    FakeClock clock(0);
    ConversationHub hub(files, clock);
    hub.runBatch(hits(conversations), {}); // a previous reply for each
    int round = 0;
    double batched = 0;
    double alone = 0;
    for (auto _ : state) {
        std::vector<SayRequest> turns;
        for (int c = 0; c < conversations; ++c) {
            turns.push_back({"c" + std::to_string(c),
                             "новое " + std::to_string(round) + " " + std::to_string(c)});
        }
        ++round;
        const auto start = SteadyClock::now();
        const auto outcomes = hub.runBatch(turns, {});
        const double seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        batched += seconds;
        if (!outcomes.front().learned) {
            state.SkipWithError("the batch learned nothing");
        }
        const auto aloneStart = SteadyClock::now();
        for (auto& turn : turns) {
            turn.text += " снова";
            hub.runBatch({turn}, {});
        }
        alone += secondsSince(aloneStart);
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["turn_ms"] = batched * 1e3 / iterations / conversations;
    state.counters["alone_turn_ms"] = alone * 1e3 / iterations / conversations;
    state.counters["speedup"] = alone / batched;
}

BENCHMARK(BM_HubBatchOfHits)->Arg(1)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HubBatchThatLearns)
    ->Arg(64)
    ->Iterations(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace besedka

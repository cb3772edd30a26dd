// One exchange on knowledge trees of growing size, in one engine that runs
// on as a session does, each step loading its files afresh: a phrase that the
// keyword lookup finds near the end of the tree, and a phrase that misses and
// is learned with both tree saves. Beside each, in the same iterations, the
// floor it is measured against: one plain read of the tree file, and two
// passes of writing the file and flushing it to disk.
#include "bench_workdir.h"
#include "files/file_store.h"
#include "talk/clock.h"
#include "talk/engine.h"
#include "talk/heap_policy.h"
#include "talk/host.h"
#include "text/cp1251.h"
#include "text/rtf.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace besedka {
namespace {

using namespace bench;

// The floor of a save: write the bytes to a file and flush it to disk.
void writeAndFlush(const fs::path& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        ::fsync(fd) != 0) {
        std::abort();
    }
    ::close(fd);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void report(benchmark::State& state, double total, double floor) {
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["floor_ms"] = floor * 1000 / iterations;
    state.counters["ratio"] = total / floor;
}

// The heap as the program sets it up.
const bool heapSetUp = (keepLargeBlocksForReuse(), true);

// A new dialogue, no current branch and the key of line 7 as the previous
// reply: every iteration is the same exchange. A question that the tree does
// not answer and that teaches nothing (it holds a character of the tree's
// grammar) ends the branch and is answered from the question list, which
// holds only that key.
void startAfresh(Engine& engine) {
    engine.say(";?");
    engine.newDialogue();
}

void BM_TreeHit(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    BenchWorkdir workdir(lines);
    const FileStore files{PathMap(workdir.root())};
    FakeClock clock(0);
    SilentHost host;
    Engine engine(files, clock, host);
    // A root line near the end (depth marks fall on every fourth line).
    int target = lines - 2;
    while (target % 4 == 0) {
        --target;
    }
    const std::string phrase = utf8ToCp1251(keyOf(target));
    startAfresh(engine);
    engine.say(phrase); // the first load parses the file
    double total = 0;
    double floor = 0;
    for (auto _ : state) {
        startAfresh(engine);
        const auto start = SteadyClock::now();
        engine.say(phrase);
        const double seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        total += seconds;
        const auto floorStart = SteadyClock::now();
        plainRead(workdir.tree());
        floor += secondsSince(floorStart);
    }
    if (engine.state().branchLine != target) {
        state.SkipWithError("the phrase was not found on its line");
    }
    report(state, total, floor);
}

void BM_LearningExchange(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    BenchWorkdir workdir(lines);
    const FileStore files{PathMap(workdir.root())};
    FakeClock clock(0);
    SilentHost host;
    Engine engine(files, clock, host);
    // Said before, so the statement list keeps it; new to the tree, whose
    // keys end in ".". The previous reply is the key of line 7, which then
    // takes the phrase as an answer: two saves of the tree.
    const std::string phrase = utf8ToCp1251("совсем новая фраза");
    engine.learnedPhraseCount(); // the first load parses the file
    double total = 0;
    double floor = 0;
    for (auto _ : state) {
        startAfresh(engine);
        const auto start = SteadyClock::now();
        engine.say(phrase);
        const double seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        total += seconds;
        const std::string bytes = readFile(workdir.tree());
        const auto floorStart = SteadyClock::now();
        writeAndFlush(workdir.root() / "Base" / "Floor.Dat", bytes);
        writeAndFlush(workdir.root() / "Base" / "Floor.Dat", bytes);
        floor += secondsSince(floorStart);
    }
    const auto tree = readRtf(readFile(workdir.tree()));
    if (!tree || tree->back().rfind(utf8ToCp1251(keyOf(7) + "^"), 0) != 0) {
        state.SkipWithError("the previous reply's line did not take the phrase");
    }
    report(state, total, floor);
}

BENCHMARK(BM_TreeHit)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LearningExchange)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace besedka

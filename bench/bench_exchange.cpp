// One exchange on knowledge trees of growing size, each step loading its
// files afresh: a phrase the keyword lookup finds near the end of the tree,
// and a phrase that misses and is learned.
#include "clock.h"
#include "cp1251.h"
#include "engine.h"
#include "file_store.h"
#include "host.h"
#include "plain_text.h"
#include "rtf.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace besedka {
namespace {

namespace fs = std::filesystem;

class SilentHost final : public Host {
  public:
    void playCue(Cue) override {}
    void clearInput() override {}
    void startClosing() override {}
};

std::string keyOf(int line) {
    return "ФРАЗА " + std::to_string(line) + " КОНЕЦ";
}

// A working directory holding a tree of `lines` lines in RTF form.
class BenchWorkdir {
  public:
    explicit BenchWorkdir(int lines) {
        std::string pattern = (fs::temp_directory_path() / "besedka-bench-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
        fs::create_directories(root_ / "Base");
        std::vector<std::string> tree{utf8ToCp1251("Фразы")};
        for (int i = 1; i < lines; ++i) {
            const std::string depth = i % 4 == 0 ? "_" : "";
            tree.push_back(utf8ToCp1251(depth + keyOf(i) + "^Ответ номер " + std::to_string(i) +
                                        ".;Ещё один ответ!;"));
        }
        words_ = writeRtf(tree);
        const std::vector<std::string> list{utf8ToCp1251("Понятно."), utf8ToCp1251("Ясно.")};
        for (const char* name : {"W1.Dat", "W2.Dat", "Povtor.Dat", "X.Dat", "BigString.Dat"}) {
            write(std::string("Base/") + name, writeRtf(list));
        }
        restoreTree();
    }
    ~BenchWorkdir() { fs::remove_all(root_); }
    BenchWorkdir(const BenchWorkdir&) = delete;
    BenchWorkdir& operator=(const BenchWorkdir&) = delete;

    void restoreTree() { write("Base/Words.Dat", words_); }
    const fs::path& root() const { return root_; }

  private:
    void write(const std::string& relative, const std::string& bytes) {
        std::ofstream(root_ / relative, std::ios::binary) << bytes;
    }

    fs::path root_;
    std::string words_;
};

void BM_ExchangeFoundNearTheEnd(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    BenchWorkdir workdir(lines);
    const FileStore files{PathMap(workdir.root())};
    FakeClock clock(0);
    SilentHost host;
    // A root line near the end (depth marks fall on every fourth line).
    int target = lines - 2;
    while (target % 4 == 0) {
        --target;
    }
    const std::string phrase = utf8ToCp1251(keyOf(target));
    for (auto _ : state) {
        Engine engine(files, clock, host);
        engine.say(phrase);
        benchmark::DoNotOptimize(engine.state().replyText);
    }
}

void BM_ExchangeMissedAndLearned(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    BenchWorkdir workdir(lines);
    const FileStore files{PathMap(workdir.root())};
    FakeClock clock(0);
    SilentHost host;
    const std::string phrase = utf8ToCp1251("совсем новая фраза");
    for (auto _ : state) {
        state.PauseTiming();
        workdir.restoreTree();
        Engine engine(files, clock, host);
        engine.state().lastReplyText = utf8ToCp1251("Ответ номер 7.");
        engine.state().lastReplyKey = engine.state().lastReplyText;
        state.ResumeTiming();
        engine.say(phrase);
        benchmark::DoNotOptimize(engine.state().replyText);
    }
}

BENCHMARK(BM_ExchangeFoundNearTheEnd)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExchangeMissedAndLearned)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace besedka

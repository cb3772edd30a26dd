// Loading and saving a knowledge tree of 100,000 lines (about 5 MB of text),
// in memory and through files, in the RTF form the program writes and in
// plain CR LF form.

#include "files/file_store.h"
#include "files/path_map.h"
#include "files/string_list.h"
#include "text/cp1251.h"
#include "text/plain_text.h"
#include "text/rtf.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace besedka {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kTreeLines = 100000;

// Tree lines like "__КАК ДЕЛА У ТЕБЯ СЕГОДНЯ?^Хорошо.;Нормально!;" with
// varied depth, keys and answers.
std::vector<std::string> makeKnowledgeTree() {
    const std::array<std::string, 16> keyWords = {
        "КАК",    "ДЕЛА",   "У",      "ТЕБЯ",   "СЕГОДНЯ", "ЧТО",    "ДЕЛАЕШЬ", "ГДЕ",
        "ЖИВЁШЬ", "ЛЮБИШЬ", "МУЗЫКУ", "ПОГОДА", "ЗАВТРА",  "ПОЧЕМУ", "ТЫ",      "МОЛЧИШЬ"};
    const std::array<std::string, 12> answers = {"Хорошо.",
                                                 "Нормально!",
                                                 "Не знаю.",
                                                 "А ты?",
                                                 "Всё в порядке.",
                                                 "Расскажи о себе.",
                                                 "Может быть.",
                                                 "Конечно!",
                                                 "Это сложно.",
                                                 "Давай сменим тему.",
                                                 "Почему ты спрашиваешь?",
                                                 "Ладно."};
    const std::array<std::string, 3> ends = {"?", ".", "!"};
    std::mt19937 random(2024);
    std::vector<std::string> lines;
    lines.reserve(kTreeLines);
    lines.push_back(utf8ToCp1251("Дерево знаний"));
    while (lines.size() < kTreeLines) {
        std::string line(random() % 4, '_');
        const std::size_t words = 2 + random() % 4;
        for (std::size_t w = 0; w < words; ++w) {
            line += (w > 0 ? " " : "") + keyWords[random() % keyWords.size()];
        }
        line += ends[random() % ends.size()] + "^";
        const std::size_t count = 1 + random() % 3;
        for (std::size_t a = 0; a < count; ++a) {
            line += answers[random() % answers.size()] + ";";
        }
        lines.push_back(utf8ToCp1251(line));
    }
    return lines;
}

const std::vector<std::string>& knowledgeTree() {
    static const std::vector<std::string> lines = makeKnowledgeTree();
    return lines;
}

const std::string& treeAsRtf() {
    static const std::string bytes = writeRtf(knowledgeTree());
    return bytes;
}

const std::string& treeAsPlainText() {
    static const std::string bytes = joinCrLf(knowledgeTree());
    return bytes;
}

// A temporary working directory with Base\Words.Dat (RTF) and Base\Plain.Dat.
class BenchDirectory {
  public:
    BenchDirectory() {
        std::string pattern = (fs::temp_directory_path() / "besedka-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern;
        fs::create_directory(path_ / "Base");
        write("Words.Dat", treeAsRtf());
        write("Plain.Dat", treeAsPlainText());
    }
    ~BenchDirectory() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    BenchDirectory(const BenchDirectory&) = delete;
    BenchDirectory& operator=(const BenchDirectory&) = delete;

    FileStore files() const { return FileStore(PathMap(path_)); }

  private:
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream file(path_ / "Base" / name, std::ios::binary);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    fs::path path_;
};

const BenchDirectory& benchDirectory() {
    static const BenchDirectory directory;
    return directory;
}

void reportBytes(benchmark::State& state, std::size_t bytesPerIteration) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytesPerIteration));
    state.counters["lines"] = static_cast<double>(kTreeLines);
    state.counters["file_bytes"] = static_cast<double>(bytesPerIteration);
}

void BM_ParseRtf(benchmark::State& state) {
    const std::string& bytes = treeAsRtf();
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseKnowledgeFile(bytes));
    }
    reportBytes(state, bytes.size());
}
BENCHMARK(BM_ParseRtf)->Unit(benchmark::kMillisecond);

void BM_ParsePlainText(benchmark::State& state) {
    const std::string& bytes = treeAsPlainText();
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseKnowledgeFile(bytes));
    }
    reportBytes(state, bytes.size());
}
BENCHMARK(BM_ParsePlainText)->Unit(benchmark::kMillisecond);

void BM_WriteRtf(benchmark::State& state) {
    const std::vector<std::string>& lines = knowledgeTree();
    for (auto _ : state) {
        benchmark::DoNotOptimize(writeRtf(lines));
    }
    reportBytes(state, treeAsRtf().size());
}
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond);

void BM_LoadRtfFile(benchmark::State& state) {
    const FileStore files = benchDirectory().files();
    StringList list;
    for (auto _ : state) {
        list.load(files, "Base\\Words.Dat");
        benchmark::DoNotOptimize(list.count());
    }
    reportBytes(state, treeAsRtf().size());
}
BENCHMARK(BM_LoadRtfFile)->Unit(benchmark::kMillisecond);

void BM_LoadPlainFile(benchmark::State& state) {
    const FileStore files = benchDirectory().files();
    StringList list;
    for (auto _ : state) {
        list.load(files, "Base\\Plain.Dat");
        benchmark::DoNotOptimize(list.count());
    }
    reportBytes(state, treeAsPlainText().size());
}
BENCHMARK(BM_LoadPlainFile)->Unit(benchmark::kMillisecond);

// Includes flushing the file to disk, as every save of the program does.
void BM_SaveRtfFile(benchmark::State& state) {
    const FileStore files = benchDirectory().files();
    const StringList list(knowledgeTree());
    for (auto _ : state) {
        list.save(files, "Base\\Saved.Dat");
    }
    reportBytes(state, treeAsRtf().size());
}
BENCHMARK(BM_SaveRtfFile)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace besedka

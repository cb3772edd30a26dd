#pragma once

// What the benchmarks share: a working directory with a tree of a given size,
// and the floor of a tree hit (one plain read of the tree file).
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

namespace besedka::bench {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

class SilentHost final : public Host {
  public:
    void playCue(Cue) override {}
    void clearInput() override {}
    void startClosing() override {}
};

inline std::string keyOf(int line) {
    return "ФРАЗА " + std::to_string(line) + " КОНЕЦ";
}

// A working directory holding a tree of `lines` lines in RTF form.
class BenchWorkdir {
  public:
    explicit BenchWorkdir(int lines) {
        std::string pattern = (fs::temp_directory_path() / "besedka-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        root_ = pattern;
        fs::create_directories(root_ / "Base");
        std::vector<std::string> tree{utf8ToCp1251("Фразы")};
        for (int i = 1; i < lines; ++i) {
            const std::string depth = i % 4 == 0 ? "_" : "";
            tree.push_back(utf8ToCp1251(depth + keyOf(i) + "^Ответ номер " + std::to_string(i) +
                                        ".;Ещё один ответ!;"));
        }
        write("Base/Words.Dat", writeRtf(tree));
        const std::vector<std::string> list{utf8ToCp1251("Понятно."),
                                            utf8ToCp1251("Совсем новая фраза.")};
        for (const char* name : {"W2.Dat", "Povtor.Dat", "X.Dat", "BigString.Dat"}) {
            write(std::string("Base/") + name, writeRtf(list));
        }
        // The questions' only reply: see startAfresh.
        write("Base/W1.Dat", writeRtf({utf8ToCp1251(keyOf(7))}));
    }
    ~BenchWorkdir() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    BenchWorkdir(const BenchWorkdir&) = delete;
    BenchWorkdir& operator=(const BenchWorkdir&) = delete;

    const fs::path& root() const { return root_; }
    fs::path tree() const { return root_ / "Base" / "Words.Dat"; }

  private:
    void write(const std::string& relative, const std::string& bytes) {
        std::ofstream(root_ / relative, std::ios::binary) << bytes;
    }

    fs::path root_;
};

inline double secondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

// The floor of a tree hit: open the file, read all of it into memory, close.
inline void plainRead(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        std::abort();
    }
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n <= 0) {
            std::abort();
        }
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(bytes.data());
}

} // namespace besedka::bench

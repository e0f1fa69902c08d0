// Reading and writing a settings file that has grown large: other programs'
// sections, comments, blank lines and short keys in front of the program's
// own sections. The time per byte should stay the same from 1 MB to 31 MB.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/settings.h"

namespace {

// About `megabytes` MB of short foreign lines (8 bytes on average: the
// worst case for any work done per line), then the program's own file as it
// writes it from the defaults.
std::string grownFile(long megabytes) {
    const size_t size = static_cast<size_t>(megabytes) * 1000 * 1000;
    std::string text;
    text.reserve(size + 64);
    char line[64];
    for (long i = 0; text.size() < size; ++i) {
        if (i % 64 == 0)
            std::snprintf(line, sizeof line, "[S%ld]\r\n", i / 64);
        else if (i % 8 == 0)
            std::snprintf(line, sizeof line, "\r\n");
        else if (i % 8 == 4)
            std::snprintf(line, sizeof line, ";%ld\r\n", i % 100);
        else
            std::snprintf(line, sizeof line, "K%ld=1\r\n", i % 1000);
        text += line;
    }
    return text;
}

struct TempFile {
    std::string dir;
    std::string path;
    explicit TempFile(const std::string& bytes) {
        char tmpl[] = "/tmp/settings_bench.XXXXXX";
        dir = ::mkdtemp(tmpl) ? tmpl : "/tmp";
        path = dir + "/" + app::kSettingsFileName;
        const std::string tail = dir + "/tail.ini";
        app::IniWrite(hissan::TJouken{}, tail, 200, 500);
        std::ifstream in(tail, std::ios::binary);
        std::string own((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream(path, std::ios::binary) << bytes << own;
        std::remove(tail.c_str());
    }
    ~TempFile() {
        std::remove(path.c_str());
        ::rmdir(dir.c_str());
    }
    long size() const {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        return static_cast<long>(in.tellg());
    }
};

// File sizes in MB, each timed in milliseconds; the fit says how the time grows.
void fileSizes(benchmark::internal::Benchmark* b) {
    b->Arg(1)->Arg(4)->Arg(16)->Arg(31)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
}

void BM_IniRead(benchmark::State& state) {
    TempFile file(grownFile(state.range(0)));
    for (auto _ : state) {
        hissan::TJouken jk;
        app::IniRead(jk, file.path);
        benchmark::DoNotOptimize(jk.CUR_SEC);
    }
    state.SetBytesProcessed(state.iterations() * file.size());
    state.SetComplexityN(file.size());
}
BENCHMARK(BM_IniRead)->Apply(fileSizes);

// Each write replaces the file by one of the same size: the program's keys
// are updated where they stand.
void BM_IniWrite(benchmark::State& state) {
    TempFile file(grownFile(state.range(0)));
    hissan::TJouken jk;
    for (auto _ : state) {
        jk.CUR_SEC = jk.CUR_SEC == 500 ? 600 : 500;
        if (!app::IniWrite(jk, file.path, 200, 500)) state.SkipWithError("the write failed");
    }
    state.SetBytesProcessed(state.iterations() * file.size());
    state.SetComplexityN(file.size());
}
BENCHMARK(BM_IniWrite)->Apply(fileSizes);

}  // namespace

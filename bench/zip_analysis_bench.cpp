// Full analysis of a ZIP archive of 100,000 entries against the listers of 7-Zip (7zz l) and
// Info-ZIP (zipinfo) on the same file, in one run, so the ratios are meaningful. The external
// tools are timed as whole processes (real time), output discarded.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/text/encoding.h"
#include "formats/archive_analysis.h"

namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 100000;

// Made once with zip from 100,000 empty files and kept in the temporary folder.
const std::string& archive() {
    static const std::string path = [] {
        fs::path dir = fs::temp_directory_path() / "kub-bench-zip100k";
        fs::path zip = dir / "entries.zip";
        if (!fs::exists(zip)) {
            fs::create_directories(dir / "e");
            std::string make = "cd '" + (dir / "e").string() + "' && seq -f 'f%06g' 1 " + std::to_string(kEntries) +
                               " | xargs touch && cd .. && zip -qr0 entries.zip e && rm -rf e";
            if (std::system(make.c_str()) != 0) {
                std::fprintf(stderr, "zip_analysis_bench: could not make %s (is zip installed?)\n", zip.c_str());
                std::exit(2);
            }
        }
        return zip.string();
    }();
    return path;
}

void BM_KubFullAnalysis(benchmark::State& state) {
    std::u16string path;
    kub::utf8_to_wide(archive(), path);
    for (auto _ : state) {
        kub::ArchiveAnalysis analysis;
        if (analysis.Analyze(path, false, 0) != kub::kAnalyzeArchive ||
            analysis.summary().ItemCount != kEntries + 1) {
            state.SkipWithError("analysis did not list every entry");
            break;
        }
    }
}

void run_tool(benchmark::State& state, const std::string& command) {
    std::string line = command + " '" + archive() + "' >/dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(line.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            break;
        }
    }
}

void BM_7zzList(benchmark::State& state) { run_tool(state, "7zz l"); }
void BM_Zipinfo(benchmark::State& state) { run_tool(state, "zipinfo"); }

}  // namespace

BENCHMARK(BM_KubFullAnalysis)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_7zzList)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_Zipinfo)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK_MAIN();

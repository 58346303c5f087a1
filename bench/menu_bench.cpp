// What a right-click costs: the selection analysis and the menu plan, for a large selection of
// ordinary files (names only) and for executables that have to be opened.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/archive_analysis.h"
#include "shellext/core/commands/menu_plan.h"
#include "shellext/core/selection/selection_analysis.h"

namespace {

std::u16string wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

void run_menu(benchmark::State& state, const std::vector<std::u16string>& paths) {
    for (auto _ : state) {
        kub::SelectionState selection;
        kub::ArchiveAnalysis analysis;
        kub::analyse_paths(selection, paths.size(), [&](std::size_t i) { return paths[i]; }, u"",
                           kub::system_selection_probe(analysis));
        benchmark::DoNotOptimize(kub::plan_menu(selection, 0, 1, u"", kub::MenuImageState{}));
    }
}

void BM_MenuFor5000OrdinaryFiles(benchmark::State& state) {
    std::vector<std::u16string> paths;
    for (int i = 0; i < 5000; ++i) paths.push_back(u"C:\\data\\file" + wide(std::to_string(i)) + u".txt");
    run_menu(state, paths);
}
BENCHMARK(BM_MenuFor5000OrdinaryFiles);

// Ten programs of 1 MiB that are not self-extracting: each is opened and searched.
void BM_MenuForTenPlainExecutables(benchmark::State& state) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "kub_menu_bench";
    std::filesystem::create_directories(folder);
    std::vector<std::u16string> paths;
    const std::string bytes(1 << 20, 'M');
    for (int i = 0; i < 10; ++i) {
        const std::filesystem::path file = folder / ("tool" + std::to_string(i) + ".exe");
        if (std::FILE* out = std::fopen(file.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), out);
            std::fclose(out);
        }
        paths.push_back(wide(file.string()));
    }
    run_menu(state, paths);
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_MenuForTenPlainExecutables);

}  // namespace

BENCHMARK_MAIN();

// Refusing a plain file: what every reader's search of the 1 MiB head costs, and the whole
// process against peers in the same run: kubinfo on an empty file (start-up), kubinfo, bsdtar -tvf
// and cat on 1 MiB of random bytes named x.exe. Processes are timed as real time, output
// discarded. Rerun as readers land: every new reader adds its search to the refusal.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/text/encoding.h"
#include "formats/format_registry.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Samples {
    std::string random_exe;
    std::string empty_exe;
    std::vector<std::uint8_t> head;
};

// Made once in the temporary folder.
const Samples& samples() {
    static const Samples made = [] {
        Samples s;
        fs::path dir = fs::temp_directory_path() / "kub-bench-detection";
        fs::create_directories(dir);
        s.random_exe = (dir / "x.exe").string();
        s.empty_exe = (dir / "empty.exe").string();
        std::mt19937_64 random(1);
        s.head.resize(1024 * 1024);
        for (std::uint8_t& b : s.head) b = static_cast<std::uint8_t>(random());
        std::ofstream(s.random_exe, std::ios::binary)
            .write(reinterpret_cast<const char*>(s.head.data()), static_cast<std::streamsize>(s.head.size()));
        std::ofstream(s.empty_exe, std::ios::binary);
        return s;
    }();
    return made;
}

// Each present reader's Open on the head of the random file: the search that refuses it.
void BM_ReaderRefusal(benchmark::State& state) {
    const int index = static_cast<int>(state.range(0));
    std::unique_ptr<kub::ArchiveReader> reader = kub::create_format_reader(index, nullptr);
    if (!reader) {
        state.SkipWithError("no reader in this slot yet");
        return;
    }
    std::u16string path;
    kub::utf8_to_wide(samples().random_exe, path);
    for (auto _ : state) {
        std::u16string name = path;
        std::int32_t offset = 0;
        if (reader->Open(name, samples().head, offset, 0)) {
            state.SkipWithError("random bytes taken for an archive");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * samples().head.size()));
}

// Runs a program to its end with its output discarded.
bool run(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status);
}

std::string kubinfo_path() {
    // The bench tree builds kubinfo beside this benchmark.
    return (fs::canonical("/proc/self/exe").parent_path() / "kubinfo").string();
}

void process(benchmark::State& state, const std::vector<std::string>& argv) {
    for (auto _ : state) {
        if (!run(argv)) {
            state.SkipWithError(("could not run " + argv[0]).c_str());
            break;
        }
    }
}

void BM_KubinfoStartup(benchmark::State& state) { process(state, {kubinfo_path(), samples().empty_exe}); }
void BM_KubinfoRefusal(benchmark::State& state) { process(state, {kubinfo_path(), samples().random_exe}); }
void BM_BsdtarRefusal(benchmark::State& state) { process(state, {"bsdtar", "-tvf", samples().random_exe}); }
void BM_CatFile(benchmark::State& state) { process(state, {"cat", samples().random_exe}); }

}  // namespace

BENCHMARK(BM_ReaderRefusal)->DenseRange(0, kub::kFormatReaderCount - 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KubinfoStartup)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_KubinfoRefusal)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_BsdtarRefusal)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(BM_CatFile)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK_MAIN();

// Full analysis of bzip2, xz and compress tars by kubinfo (a whole process, Release build, beside
// this program) against the tools' own decoding to /dev/null (bzip2 -dc, xz -dc, compress -dc),
// in one run so the ratios are meaningful. Files, made once in the temporary folder:
//   entries100k.tar.{bz2,xz,Z}   100,000 empty files
//   mixed32m.tar.{bz2,xz,Z}      32 MiB of members, text-like and random in turn
// The counter "maxrss_mb" is the resident size of the measured process alone (its own and its
// children's largest), so memory can be compared between the small and the large archives.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path work_dir() { return fs::temp_directory_path() / "kub-bench-compressed"; }

void run_or_die(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "compressed_tar_bench: failed: %s\n", command.c_str());
        std::exit(2);
    }
}

// Makes NAME.tar by `fill` (run in a fresh folder m/) and its three compressed forms.
std::string made(const std::string& name, const std::string& fill) {
    fs::path tar = work_dir() / (name + ".tar");
    if (!fs::exists(tar.string() + ".Z")) {
        fs::create_directories(work_dir() / "m");
        run_or_die("cd '" + (work_dir() / "m").string() + "' && " + fill + " && cd .. && tar -cf '" + tar.string() +
                   "' m && rm -rf m && bzip2 -kf '" + tar.string() + "' && xz -kf -T1 '" + tar.string() +
                   "' && compress -f -c '" + tar.string() + "' > '" + tar.string() + ".Z' && rm '" + tar.string() + "'");
    }
    return tar.string();
}

const std::string& entries() {
    static const std::string path = made("entries100k", "seq -f 'f%06g' 1 100000 | xargs touch");
    return path;
}

const std::string& mixed() {
    static const std::string path =
        made("mixed32m", "for i in 1 2; do seq 1 500000 | sed 's/$/ archive header window block/' | "
                         "head -c 8388608 > text$i.txt; head -c 8388608 /dev/urandom > random$i.bin; done");
    return path;
}

std::string kubinfo() {
    static const std::string path = [] {
        fs::path tool = fs::read_symlink("/proc/self/exe").parent_path() / "kubinfo";
        if (!fs::exists(tool)) {
            std::fprintf(stderr, "compressed_tar_bench: no kubinfo beside this program (build the bench preset whole)\n");
            std::exit(2);
        }
        return tool.string();
    }();
    return path;
}

void run_command(benchmark::State& state, const std::string& command, const std::string& file) {
    std::string line = "exec " + command + " < '" + file + "' > /dev/null 2>&1";
    if (command == kubinfo()) line = "exec " + command + " '" + file + "' > /dev/null 2>&1";
    long maxrss_kb = 0;
    for (auto _ : state) {
        pid_t child = fork();
        if (child == 0) {
            execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        rusage usage{};
        if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            break;
        }
        maxrss_kb = std::max(maxrss_kb, usage.ru_maxrss);
    }
    state.counters["maxrss_mb"] = static_cast<double>(maxrss_kb) / 1024.0;
}

#define KUB_PAIR(Format, ext, tool)                                                                                   \
    void BM_Kubinfo_Entries_##Format(benchmark::State& s) { run_command(s, kubinfo(), entries() + ext); }           \
    void BM_Tool_Entries_##Format(benchmark::State& s) { run_command(s, tool, entries() + ext); }                   \
    void BM_Kubinfo_Mixed32M_##Format(benchmark::State& s) { run_command(s, kubinfo(), mixed() + ext); }           \
    void BM_Tool_Mixed32M_##Format(benchmark::State& s) { run_command(s, tool, mixed() + ext); }                   \
    BENCHMARK(BM_Kubinfo_Entries_##Format)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);            \
    BENCHMARK(BM_Tool_Entries_##Format)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);               \
    BENCHMARK(BM_Kubinfo_Mixed32M_##Format)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);          \
    BENCHMARK(BM_Tool_Mixed32M_##Format)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

KUB_PAIR(Bzip2, ".bz2", "bzip2 -dc")
KUB_PAIR(Xz, ".xz", "xz -dc")
KUB_PAIR(Z, ".Z", "compress -dc")

}  // namespace

BENCHMARK_MAIN();

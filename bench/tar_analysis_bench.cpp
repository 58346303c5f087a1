// Full analysis of tar and compressed tar files by kubinfo (a whole process, Release build, beside
// this program) against GNU tar -tvf / -tzvf, bsdtar -tvf and libdeflate-gunzip -c, in one run so
// the ratios are meaningful. Files, made once in the temporary folder:
//   entries100k.tar / .tar.gz   100,000 empty files
//   mixed1g.tar.gz              1 GiB of members, text-like and random in turn
// The counter "maxrss_mb" is the largest resident size of any child process so far.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path work_dir() { return fs::temp_directory_path() / "kub-bench-tar"; }

void run_or_die(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "tar_analysis_bench: failed: %s\n", command.c_str());
        std::exit(2);
    }
}

const std::string& entries_tar() {
    static const std::string path = [] {
        fs::path tar = work_dir() / "entries100k.tar";
        if (!fs::exists(tar)) {
            fs::create_directories(work_dir() / "e");
            run_or_die("cd '" + (work_dir() / "e").string() + "' && seq -f 'f%06g' 1 100000 | xargs touch && cd .. && "
                       "tar -cf entries100k.tar e && gzip -c entries100k.tar > entries100k.tar.gz && rm -rf e");
        }
        return tar.string();
    }();
    return path;
}

const std::string& entries_tgz() {
    static const std::string path = entries_tar() + ".gz";
    return path;
}

const std::string& mixed_tgz() {
    static const std::string path = [] {
        fs::path tgz = work_dir() / "mixed1g.tar.gz";
        if (!fs::exists(tgz)) {
            fs::path m = work_dir() / "m";
            fs::create_directories(m);
            // 32 members of 32 MiB: numbers and words (compress about 4:1), then random bytes.
            run_or_die("cd '" + m.string() + "' && for i in $(seq 1 16); do "
                       "seq 1 4000000 | sed 's/$/ archive header window block/' | head -c 33554432 > text$i.txt; "
                       "head -c 33554432 /dev/urandom > random$i.bin; done && cd .. && "
                       "tar -cf - m | gzip -c > mixed1g.tar.gz && rm -rf m");
        }
        return tgz.string();
    }();
    return path;
}

std::string kubinfo() {
    static const std::string path = [] {
        fs::path self = fs::read_symlink("/proc/self/exe");
        fs::path tool = self.parent_path() / "kubinfo";
        if (!fs::exists(tool)) {
            std::fprintf(stderr, "tar_analysis_bench: no kubinfo beside %s (build the bench preset whole)\n", self.c_str());
            std::exit(2);
        }
        return tool.string();
    }();
    return path;
}

void run_command(benchmark::State& state, const std::string& command, const std::string& file) {
    std::string line = command + " '" + file + "' >/dev/null 2>&1";
    for (auto _ : state) {
        if (std::system(line.c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            break;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["maxrss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The 100,000-entry compressed tar.
void BM_Kubinfo_Entries_TarGz(benchmark::State& s) { run_command(s, kubinfo(), entries_tgz()); }
void BM_Bsdtar_tvf_Entries_TarGz(benchmark::State& s) { run_command(s, "bsdtar -tvf", entries_tgz()); }
void BM_GnuTar_tzvf_Entries_TarGz(benchmark::State& s) { run_command(s, "tar -tzvf", entries_tgz()); }
// The 100,000-entry plain tar.
void BM_Kubinfo_Entries_Tar(benchmark::State& s) { run_command(s, kubinfo(), entries_tar()); }
void BM_GnuTar_tvf_Entries_Tar(benchmark::State& s) { run_command(s, "tar -tvf", entries_tar()); }
void BM_Bsdtar_tvf_Entries_Tar(benchmark::State& s) { run_command(s, "bsdtar -tvf", entries_tar()); }
// 1 GiB of mixed members.
void BM_Kubinfo_Mixed1G(benchmark::State& s) { run_command(s, kubinfo(), mixed_tgz()); }
void BM_Bsdtar_tvf_Mixed1G(benchmark::State& s) { run_command(s, "bsdtar -tvf", mixed_tgz()); }
void BM_GnuTar_tzvf_Mixed1G(benchmark::State& s) { run_command(s, "tar -tzvf", mixed_tgz()); }
void BM_LibdeflateGunzip_Mixed1G(benchmark::State& s) { run_command(s, "libdeflate-gunzip -c", mixed_tgz()); }

}  // namespace

// kubinfo first: the resident-size counter is a maximum over every child so far.
BENCHMARK(BM_Kubinfo_Entries_TarGz)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Kubinfo_Entries_Tar)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Kubinfo_Mixed1G)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Bsdtar_tvf_Entries_TarGz)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_GnuTar_tzvf_Entries_TarGz)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_GnuTar_tvf_Entries_Tar)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Bsdtar_tvf_Entries_Tar)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_Bsdtar_tvf_Mixed1G)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_GnuTar_tzvf_Mixed1G)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_LibdeflateGunzip_Mixed1G)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

BENCHMARK_MAIN();

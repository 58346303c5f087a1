// Full analysis of a 50,000-file ISO 9660 image with Joliet names by kubinfo (a whole process,
// Release build, beside this program) against isoinfo -l -J -i, in one run so the ratio is
// meaningful. The image (50 folders of 1,000 empty files, genisoimage -J) is made once in the
// temporary folder. The counter "maxrss_mb" is the largest resident size of any child so far.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

fs::path work_dir() { return fs::temp_directory_path() / "kub-bench-iso"; }

const std::string& joliet_image() {
    static const std::string path = [] {
        fs::path image = work_dir() / "files50k-joliet.iso";
        if (!fs::exists(image)) {
            fs::create_directories(work_dir() / "t");
            std::string command = "cd '" + (work_dir() / "t").string() +
                                  "' && for d in $(seq -f 'folder%02g' 1 50); do mkdir $d && "
                                  "(cd $d && seq -f 'file%04g.txt' 1 1000 | xargs touch); done && cd .. && "
                                  "genisoimage -quiet -J -o files50k-joliet.iso t && rm -rf t";
            if (std::system(command.c_str()) != 0) {
                std::fprintf(stderr, "iso_analysis_bench: cannot make the image (genisoimage)\n");
                std::exit(2);
            }
        }
        return image.string();
    }();
    return path;
}

std::string kubinfo() {
    fs::path tool = fs::read_symlink("/proc/self/exe").parent_path() / "kubinfo";
    if (!fs::exists(tool)) {
        std::fprintf(stderr, "iso_analysis_bench: no kubinfo beside this program (build the bench preset whole)\n");
        std::exit(2);
    }
    return tool.string();
}

void run_command(benchmark::State& state, const std::string& command) {
    for (auto _ : state) {
        if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
            state.SkipWithError(("failed: " + command).c_str());
            break;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    state.counters["maxrss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_Kubinfo_Joliet50k(benchmark::State& s) { run_command(s, kubinfo() + " '" + joliet_image() + "'"); }
void BM_Isoinfo_lJ_Joliet50k(benchmark::State& s) { run_command(s, "isoinfo -l -J -i '" + joliet_image() + "'"); }

}  // namespace

BENCHMARK(BM_Kubinfo_Joliet50k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_Isoinfo_lJ_Joliet50k)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

BENCHMARK_MAIN();

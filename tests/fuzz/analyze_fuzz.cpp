// libFuzzer target: the whole analysis (detection over every reader, listing, totals) over
// arbitrary bytes, under a name chosen by the first byte so the extension reordering and the
// name-driven paths of the readers are exercised too.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/error_state.h"
#include "formats/archive_analysis.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

const char* const kNames[] = {"analyze_fuzz.zip", "analyze_fuzz.kub", "analyze_fuzz.bin", "analyze_fuzz.z01",
                              "analyze_fuzz.tar.gz", "analyze_fuzz.exe", "analyze_fuzz.iso", "analyze_fuzz"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* name = kNames[size ? data[0] % (sizeof kNames / sizeof kNames[0]) : 0];
    std::u16string path = kub::fuzz::input_file(data, size, name);
    kub::ArchiveAnalysis analysis;
    int result = analysis.Analyze(path, false, 0);
    if (result < kub::kAnalyzeFailed || result > kub::kAnalyzeUserBreak) __builtin_trap();
    (void)analysis.GetCommentW(false);
    kub::ErrorState::reset();
    return 0;
}

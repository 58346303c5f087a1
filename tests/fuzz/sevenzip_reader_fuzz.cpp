// libFuzzer target: the 7z reader over arbitrary bytes, listed through the real extraction
// library (KUB_7ZXA names it; natively 7-Zip's 7z.so by default), installed once per process the
// way the archiver's installer leaves it: "7zxa.dll" in the folder of the App Paths entry. What is
// fuzzed is our side of the boundary: the stream the library reads and seeks in, the callbacks it
// queries, and every property value it hands back.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>

#include "common/error_state.h"
#include "common/registry/app_paths.h"
#include "common/registry/registry_access.h"
#include "common/text/encoding.h"
#include "formats/archive_reader.h"
#include "formats/sevenzip/sevenzip_reader.h"
#include "tests/fuzz/fuzz_input_file.h"

namespace {

// Each mutated archive lists at most this many items: the library reports what the headers say,
// and a count in the millions is as good a finding as a crash would be at the thousandth.
constexpr int kMaxItems = 100000;

std::filesystem::path library_folder;

void remove_library_folder() {
    std::error_code ec;
    std::filesystem::remove_all(library_folder, ec);
}

void install_library() {
    const char* library = std::getenv("KUB_7ZXA");
    if (!library) library = "/usr/lib/p7zip/7z.so";
    std::error_code ec;
    if (!std::filesystem::exists(library, ec)) {
        std::fprintf(stderr, "sevenzip_reader_fuzz: no library at %s (set KUB_7ZXA)\n", library);
        std::exit(1);
    }
    const char* base = std::getenv("FUZZ_SCRATCH_DIR");
    if (!base) base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::filesystem::path folder =
        std::filesystem::path(base) / ("sevenzip_reader_fuzz-lib-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder, ec);
    library_folder = folder;
    std::atexit(remove_library_folder);
    std::filesystem::remove(folder / "7zxa.dll", ec);
    std::filesystem::create_symlink(library, folder / "7zxa.dll", ec);
    std::u16string app_path;
    kub::utf8_to_wide((folder / "korvex.exe").string(), app_path);
    kub::write_registry_string(kub::RegistryRoot::kLocalMachine, kub::kAppPathsKey, u"", app_path);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    install_library();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::u16string path = kub::fuzz::input_file(data, size, "sevenzip_reader_fuzz.7z");
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    kub::SevenZipReader reader(nullptr);
    std::int32_t offset = 0;
    if (reader.Open(path, head, offset, 0)) {
        for (int n = 0; n < kMaxItems; ++n) {
            kub::ItemHeader item;
            int result = reader.ReadItem(item);
            if (result != kub::kItemRead) {
                if (result != kub::kNoMoreItems && result != kub::kItemDamagedSource &&
                    result != kub::kItemBreakOrEncrypted)
                    __builtin_trap();
                break;
            }
            if (item.Name.size() >= kub::kItemNameCapacity) __builtin_trap();
        }
        kub::ArchiveSummary summary;
        reader.Close(summary);
        if (summary.SfxSize != offset) __builtin_trap();
    }
    kub::ErrorState::reset();
    return 0;
}

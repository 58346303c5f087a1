// The installer's uninstall list as arbitrary bytes: every entry the reader gives back must be
// one the safety check accepts, no longer than a line may be, and the reading must end.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/files/file_helpers.h"
#include "tests/fuzz/fuzz_input_file.h"
#include "uninstall/core/uninstall_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const kub::fuzz::ScratchInput input("Uninstall.lst");
    std::FILE* stream = kub::open_file_stream(input.write(data, size), "rb");
    if (!stream) return 0;
    kub::setup::UninstallListReader reader(stream);
    for (int pass = 0; pass < 2; ++pass) {
        reader.rewind();
        std::u16string entry;
        std::size_t entries = 0;
        while (reader.next(entry)) {
            if (!kub::setup::is_safe_list_entry(entry) || entry.size() > kub::setup::kListLineBytes)
                std::abort();
            if (++entries > size) std::abort();
        }
    }
    std::fclose(stream);
    return 0;
}

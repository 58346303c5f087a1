// libFuzzer target: the ARJ reader over arbitrary bytes: every entry read, then Close, and the
// comment read from the same bytes.
#include "formats/arj/arj_reader.h"
#include "tests/fuzz/reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Every entry moves the position forward by its header at least.
    kub::fuzz::list_with_reader<kub::ArjReader>(
        data, size, "arj_reader_fuzz.arj", size,
        [](kub::ArjReader& reader, const std::u16string& path) { reader.GetComment(path); });
    return 0;
}

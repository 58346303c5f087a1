// libFuzzer target: the ISO 9660 reader over arbitrary bytes, every item read, then Close.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/iso/iso_reader.h"
#include "tests/fuzz/fuzz_input_file.h"
#include "tests/fuzz/list_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    kub::IsoReader reader(nullptr);
    // Every item consumes a path table record (8 bytes at least) or a directory record (a byte
    // at least) of the image.
    kub::fuzz::list_reader(reader, kub::fuzz::input_file(data, size, "iso_reader_fuzz.iso"), head, size);
    return 0;
}

// libFuzzer target: the UDF reader over arbitrary bytes, every item read, then Close.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/udf/udf_reader.h"
#include "tests/fuzz/fuzz_input_file.h"
#include "tests/fuzz/list_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> head(data, std::min(size, kub::kHeadBytes));
    kub::UdfReader reader(nullptr);
    // Each item is a file identifier of at least 40 bytes of directory data, and the folders open
    // at once hold no more than the image, at most 255 of them.
    kub::fuzz::list_reader(reader, kub::fuzz::input_file(data, size, "udf_reader_fuzz.iso"), head,
                           256 * (size / 40 + 1));
    return 0;
}

// libFuzzer target: the UDF reader over arbitrary bytes, every item read, then Close.
#include "formats/udf/udf_reader.h"
#include "tests/fuzz/reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Each item is a file identifier of at least 40 bytes of folder data, and the folders open at
    // once hold no more than the image, at most 255 of them.
    kub::fuzz::list_with_reader<kub::UdfReader>(data, size, "udf_reader_fuzz.iso", 256 * (size / 40 + 1),
                                                [](kub::UdfReader&, const std::u16string&) {});
    return 0;
}

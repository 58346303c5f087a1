// libFuzzer target: the LZH reader over arbitrary bytes: every member read, then Close.
#include "formats/lzh/lzh_reader.h"
#include "tests/fuzz/reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Every member moves the position forward by its header at least.
    kub::fuzz::list_with_reader<kub::LzhReader>(data, size, "lzh_reader_fuzz.lzh", size,
                                                [](kub::LzhReader&, const std::u16string&) {});
    return 0;
}

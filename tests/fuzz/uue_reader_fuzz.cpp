// libFuzzer target: the UUE reader over arbitrary bytes (named .uue, so every begin line counts):
// every section read, then Close.
#include "formats/uue/uue_reader.h"
#include "tests/fuzz/reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Every section takes a begin line of at least six bytes.
    kub::fuzz::list_with_reader<kub::UueReader>(data, size, "uue_reader_fuzz.uue", size,
                                                [](kub::UueReader&, const std::u16string&) {});
    return 0;
}

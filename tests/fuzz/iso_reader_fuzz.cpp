// libFuzzer target: the ISO 9660 reader over arbitrary bytes, every item read, then Close.
#include "formats/iso/iso_reader.h"
#include "tests/fuzz/reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Every item consumes a path table record (8 bytes at least) or a directory record (a byte at
    // least) of the image.
    kub::fuzz::list_with_reader<kub::IsoReader>(data, size, "iso_reader_fuzz.iso", size,
                                                [](kub::IsoReader&, const std::u16string&) {});
    return 0;
}

// libFuzzer target: the cabinet reader over arbitrary bytes: every entry read, then Close, and
// the next cabinet's name taken from the same bytes.
#include "formats/cab/cab_reader.h"
#include "tests/fuzz/reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // cFiles bounds the listing.
    kub::fuzz::list_with_reader<kub::CabReader>(data, size, "cab_reader_fuzz.cab", 0xFFFF,
                                                [](kub::CabReader& reader, const std::u16string& path) {
                                                    std::u16string next = path;
                                                    reader.NextVolumeName(next);
                                                });
    return 0;
}

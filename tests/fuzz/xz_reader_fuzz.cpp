// libFuzzer target: the xz reader over arbitrary bytes (see single_stream_fuzz.h).
#include "formats/xz/xz_reader.h"
#include "tests/fuzz/single_stream_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kub::XzReader reader(nullptr);
    kub::fuzz::read_single_stream(reader, data, size, "xz_reader_fuzz.xz");
    return 0;
}

// libFuzzer target: the z reader over arbitrary bytes (see single_stream_fuzz.h).
#include "formats/z/z_reader.h"
#include "tests/fuzz/single_stream_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kub::ZReader reader(nullptr);
    kub::fuzz::read_single_stream(reader, data, size, "z_reader_fuzz.Z");
    return 0;
}

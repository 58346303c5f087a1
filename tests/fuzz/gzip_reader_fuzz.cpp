// libFuzzer target: the gzip reader over arbitrary bytes (see single_stream_fuzz.h).
#include "formats/gzip/gzip_reader.h"
#include "tests/fuzz/single_stream_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kub::GzipReader reader(nullptr);
    kub::fuzz::read_single_stream(reader, data, size, "gzip_reader_fuzz.gz");
    return 0;
}

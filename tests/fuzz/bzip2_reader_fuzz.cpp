// libFuzzer target: the bzip2 reader over arbitrary bytes (see single_stream_fuzz.h).
#include "formats/bzip2/bzip2_reader.h"
#include "tests/fuzz/single_stream_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kub::Bzip2Reader reader(nullptr);
    kub::fuzz::read_single_stream(reader, data, size, "bzip2_reader_fuzz.bz2");
    return 0;
}

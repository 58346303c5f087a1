// libFuzzer target: the ACE reader over arbitrary bytes: every file header read, then Close, and
// the next volume name of the input's name.
#include "formats/ace/ace_reader.h"
#include "tests/fuzz/reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Every block moves the position forward by its 4-byte prefix at least.
    kub::fuzz::list_with_reader<kub::AceReader>(data, size, "ace_reader_fuzz.ace", size,
                                                [](kub::AceReader& reader, const std::u16string& path) {
                                                    std::u16string next = path;
                                                    reader.NextVolumeName(next);
                                                });
    return 0;
}

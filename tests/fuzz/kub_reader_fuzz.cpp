// libFuzzer target: the KUB header walk over arbitrary bytes, with and without the quick-open
// cache, every file header turned into an ItemHeader. Seeds: make_kub_samples FOLDER.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/error_state.h"
#include "formats/kub/kub_archive.h"
#include "formats/kub/kub_item_conversion.h"
#include "tests/support/kub_memory_source.h"

namespace {

void walk(const std::vector<std::uint8_t>& bytes, bool quick_open) {
    kub::test::MemorySource source(bytes);
    kub::kubfmt::KubArchive archive(source, quick_open);
    if (!archive.open()) return;
    kub::kubfmt::ParsedHeader header;
    while (archive.next_item(header)) kub::kubfmt::to_item_header(header.item, archive.generation());
    (void)archive.volume_number();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    try {
        walk(bytes, true);
        walk(bytes, false);
    } catch (kub::KUB_EXIT) {
        // Out of memory or a user break: both are reported results, not faults.
    }
    kub::ErrorState::reset();
    return 0;
}

#include "formats/udf/udf_recognition.h"

#include <cstring>

namespace kub {

namespace {
constexpr std::size_t kSystemAreaEnd = 32768;
constexpr std::size_t kSectorSize = 2048;
// The last offset whose sector is looked at.
constexpr std::size_t kScanLimit = 65526;
}  // namespace

bool carries_udf_recognition(std::span<const std::uint8_t> head) {
    std::size_t end = head.size() < kScanLimit ? head.size() : kScanLimit;
    for (std::size_t sector = kSystemAreaEnd; sector + 6 <= end; sector += kSectorSize) {
        const std::uint8_t* id = head.data() + sector + 1;
        if (std::memcmp(id, "NSR0", 4) == 0 && (id[4] == '2' || id[4] == '3')) return true;
    }
    return false;
}

}  // namespace kub

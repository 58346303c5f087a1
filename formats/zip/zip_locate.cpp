#include "formats/zip/zip_locate.h"

#include <array>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/zip/zip_format.h"

namespace kub::zip {

namespace {

// Local header fields must look like a real header before a "PK\3\4" counts: a method below 110
// whose high byte is zero, and a name shorter than 1024 bytes.
constexpr std::uint8_t kMaxPlausibleMethod = 110;
constexpr std::uint8_t kMaxPlausibleNameLengthHigh = 4;

bool holds_signature(const ReadAt& read_at, std::uint64_t offset, std::uint32_t signature) {
    std::array<std::uint8_t, 4> sig{};
    return read_at(offset, sig) == sig.size() && le32(sig, 0) == signature;
}

// The central directory offset stored in the zip64 end record the locator at `at` points to.
std::optional<CentralDirectoryLocation> follow_zip64_locator(const ReadAt& read_at,
                                                             std::span<const std::uint8_t> window,
                                                             std::size_t at) {
    std::uint64_t record_at = le64(window, at + zip64_locator::kEndRecordOffset);
    std::array<std::uint8_t, zip64_end_record::kSize> record{};
    std::size_t got = read_at(record_at, record);
    std::span<const std::uint8_t> bytes(record.data(), got);
    if (got < 4 || signature_at(bytes, 0) != kZip64EndRecordSig) return std::nullopt;
    CentralDirectoryLocation found;
    found.offset = le64(bytes, zip64_end_record::kCdOffset);
    found.size = le64(bytes, zip64_end_record::kCdSize);
    found.end_at = record_at;
    found.zip64 = true;
    return found;
}

}  // namespace

std::optional<std::uint32_t> find_first_local_header(std::span<const std::uint8_t> head) {
    if (signature_at(head, 0) == kEndRecordSig) return 0;
    for (std::size_t pos = 0; head.size() >= local::kSize && pos <= head.size() - local::kSize; ++pos) {
        if (head[pos] != 'P' || signature_at(head, pos) != kLocalHeaderSig) continue;
        if (head[pos + local::kMethod] < kMaxPlausibleMethod && head[pos + local::kMethod + 1] == 0 &&
            head[pos + local::kNameLength + 1] < kMaxPlausibleNameLengthHigh)
            return static_cast<std::uint32_t>(pos);
    }
    return std::nullopt;
}

std::optional<CentralDirectoryLocation> find_central_directory(const ReadAt& read_at,
                                                               std::uint64_t file_size) {
    std::vector<std::uint8_t> window(kEndSearchWindow);
    std::uint64_t start = file_size > kEndSearchFirstBack - 1 ? file_size - kEndSearchFirstBack : 0;
    bool zip64 = false;
    for (int n = 0; n < kEndSearchMaxWindows; ++n) {
        std::size_t got = read_at(start, window);
        std::span<const std::uint8_t> bytes(window.data(), got);
        for (std::size_t at = got >= 4 ? got - 4 + 1 : 0; at-- > 0;) {
            if (bytes[at] != 'P') continue;
            std::uint32_t sig = signature_at(bytes, at);
            if (sig == kEndRecordSig) {
                if (le16(bytes, at + end_record::kEntriesOnDisk) == kZip64Marker16) zip64 = true;
                std::uint32_t cd_offset = le32(bytes, at + end_record::kCdOffset);
                if (cd_offset != kZip64Marker32) {
                    CentralDirectoryLocation found;
                    found.offset = cd_offset;
                    found.size = le32(bytes, at + end_record::kCdSize);
                    found.end_at = start + at;
                    found.zip64 = zip64;
                    return found;
                }
            } else if (sig == kZip64LocatorSig) {
                if (auto found = follow_zip64_locator(read_at, bytes, at)) return found;
            }
        }
        if (start == 0) break;
        start = start > kEndSearchStep ? start - kEndSearchStep : 0;
    }
    return std::nullopt;
}

std::uint64_t settle_central_directory_start(const ReadAt& read_at,
                                             const CentralDirectoryLocation& where) {
    auto starts_directory = [&](std::uint64_t at) {
        return holds_signature(read_at, at, kCentralHeaderSig) ||
               holds_signature(read_at, at, kEndRecordSig) ||
               holds_signature(read_at, at, kZip64EndRecordSig);
    };
    if (starts_directory(where.offset)) return where.offset;
    // The directory ends where the end record begins; anything more in front was prepended.
    if (where.offset <= UINT64_MAX - where.size && where.offset + where.size < where.end_at) {
        std::uint64_t moved = where.end_at - where.size;
        if (starts_directory(moved)) return moved;
    }
    return where.offset;
}

}  // namespace kub::zip

#include "formats/zip/zip_locate.h"

#include <array>
#include <cstring>
#include <vector>

#include "formats/byte_reader.h"
#include "formats/byte_search.h"
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

// A central directory header or an end record at `at`: what the start of a directory looks like.
bool starts_directory(const ReadAt& read_at, std::uint64_t at) {
    return holds_signature(read_at, at, kCentralHeaderSig) || holds_signature(read_at, at, kEndRecordSig) ||
           holds_signature(read_at, at, kZip64EndRecordSig);
}

// A directory is confirmed when its recorded start, or that start moved by what was glued in
// front of the archive, holds a directory header.
bool directory_confirmed(const ReadAt& read_at, const CentralDirectoryLocation& where) {
    return starts_directory(read_at, where.offset) || starts_directory(read_at, where.end_at - where.size);
}

// Reads a whole record of `size` bytes at `at` from the file; false when any of it lies past the
// end, so a record is never taken from a window that holds only its first bytes.
template <std::size_t N>
bool read_record(const ReadAt& read_at, std::uint64_t file_size, std::uint64_t at,
                 std::array<std::uint8_t, N>& record) {
    if (at > file_size || file_size - at < N) return false;
    return read_at(at, record) == N;
}

// A directory of `size` bytes must fit in front of the record at `record_at` that follows it; a
// record that says otherwise is a signature inside a comment or data, not the end. (Its recorded
// offset may be off by bytes glued in front of or cut from the archive's start.)
bool directory_fits_before(std::uint64_t size, std::uint64_t record_at) { return size <= record_at; }

// The directory named by the zip64 end record that the locator at `locator_at` points to.
std::optional<CentralDirectoryLocation> follow_zip64_locator(const ReadAt& read_at,
                                                             std::uint64_t file_size,
                                                             std::uint64_t locator_at) {
    std::array<std::uint8_t, zip64_locator::kSize> locator{};
    if (!read_record(read_at, file_size, locator_at, locator)) return std::nullopt;
    std::uint64_t record_at = le64(locator, zip64_locator::kEndRecordOffset);
    std::array<std::uint8_t, zip64_end_record::kSize> record{};
    if (record_at > locator_at || locator_at - record_at < record.size()) return std::nullopt;
    if (!read_record(read_at, file_size, record_at, record)) return std::nullopt;
    if (signature_at(record, 0) != kZip64EndRecordSig) return std::nullopt;
    CentralDirectoryLocation found;
    found.offset = le64(record, zip64_end_record::kCdOffset);
    found.size = le64(record, zip64_end_record::kCdSize);
    if (!directory_fits_before(found.size, record_at)) return std::nullopt;
    found.end_at = record_at;
    found.zip64 = true;
    return found;
}

}  // namespace

std::optional<std::uint32_t> find_first_local_header(std::span<const std::uint8_t> head) {
    if (signature_at(head, 0) == kEndRecordSig) return 0;
    if (head.size() < local::kSize) return std::nullopt;
    // Candidates found with find_byte, at memory speed: most heads hold few "P" bytes.
    const std::uint8_t* const begin = head.data();
    const std::uint8_t* const last = begin + (head.size() - local::kSize);
    for (const std::uint8_t* p = begin; p <= last; ++p) {
        p = find_byte(p, 'P', static_cast<std::size_t>(last - p) + 1);
        if (p == nullptr) break;
        const std::size_t pos = static_cast<std::size_t>(p - begin);
        if (signature_at(head, pos) != kLocalHeaderSig) continue;
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
    // The first record whose directory at least fits in front of it, for an archive whose
    // directory is damaged: used only when no record's directory is confirmed.
    std::optional<CentralDirectoryLocation> unconfirmed;
    auto take = [&](const CentralDirectoryLocation& found, bool confirmed) {
        if (confirmed) return true;
        if (!unconfirmed) unconfirmed = found;
        return false;
    };
    for (int n = 0; n < kEndSearchMaxWindows; ++n) {
        std::size_t got = read_at(start, window);
        std::span<const std::uint8_t> bytes(window.data(), got);
        for (std::size_t at = got >= 4 ? got - 4 + 1 : 0; at-- > 0;) {
            if (bytes[at] != 'P') continue;
            std::uint32_t sig = signature_at(bytes, at);
            std::uint64_t record_at = start + at;
            if (sig == kEndRecordSig) {
                std::array<std::uint8_t, end_record::kSize> record{};
                if (!read_record(read_at, file_size, record_at, record)) continue;
                std::uint32_t cd_offset = le32(record, end_record::kCdOffset);
                std::uint32_t cd_size = le32(record, end_record::kCdSize);
                if (cd_offset == kZip64Marker32) {
                    // The real values are in the zip64 end record, whose locator lies in front.
                    if (le16(record, end_record::kEntriesOnDisk) == kZip64Marker16) zip64 = true;
                    continue;
                }
                if (!directory_fits_before(cd_size, record_at)) continue;
                if (le16(record, end_record::kEntriesOnDisk) == kZip64Marker16) zip64 = true;
                CentralDirectoryLocation found;
                found.offset = cd_offset;
                found.size = cd_size;
                found.end_at = record_at;
                found.zip64 = zip64;
                // An empty directory has nothing to look at: its record must then be the last
                // thing in the file, its comment reaching the end.
                bool ends_file = file_size - record_at - record.size() ==
                                 le16(record, end_record::kCommentLength);
                bool confirmed = cd_size == 0 ? ends_file : directory_confirmed(read_at, found);
                if (take(found, confirmed)) return found;
            } else if (sig == kZip64LocatorSig) {
                auto found = follow_zip64_locator(read_at, file_size, record_at);
                if (found && take(*found, directory_confirmed(read_at, *found))) return found;
            }
        }
        if (start == 0) break;
        start = start > kEndSearchStep ? start - kEndSearchStep : 0;
    }
    return unconfirmed;
}

std::uint64_t settle_central_directory_start(const ReadAt& read_at,
                                             const CentralDirectoryLocation& where) {
    if (starts_directory(read_at, where.offset)) return where.offset;
    // The directory ends where the end record begins; anything more in front was prepended.
    if (where.offset <= UINT64_MAX - where.size && where.offset + where.size < where.end_at) {
        std::uint64_t moved = where.end_at - where.size;
        if (starts_directory(read_at, moved)) return moved;
    }
    return where.offset;
}

}  // namespace kub::zip

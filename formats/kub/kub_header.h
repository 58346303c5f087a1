#pragma once
// What one KUB header says, generation independent and before any text or time conversion. The
// parsers (kub_gen1_header.h, kub_gen2_header.h, kub_gen3_header.h) fill it from the header's
// bytes; the archive walk acts on it; kub_item_conversion.h turns file facts into an ItemHeader.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "formats/kub/kub_layout.h"

namespace kub::kubfmt {

enum class HeaderKind { kMain, kFile, kService, kEncryption, kEnd, kOther };

enum class TimeFormat { kNone, kDos, kUnix, kFileTime };

// How much of a header to read, decided from its fixed part.
struct HeaderExtent {
    bool ok = false;               // false: not a usable header
    bool incomplete = false;       // with !ok: the file ended inside the fixed part (no damage)
    std::uint64_t header_size = 0; // bytes the header occupies in the file
    std::uint64_t read_size = 0;   // bytes to read and parse (at most header_size)
};

// The facts of a file or service header.
struct ItemFacts {
    std::string name_bytes;       // as stored, cut to kMaxNameBytes; ends at a zero byte if any
    std::u16string decoded_name;  // generation 2: the decoded UTF-16 form, when one was stored
    std::uint64_t unpacked_size = 0;
    bool unknown_size = false;
    std::uint64_t packed_size = 0;
    TimeFormat time_format = TimeFormat::kNone;
    std::uint64_t time_value = 0;       // in time_format
    std::uint64_t time_fraction = 0;    // 100 ns units to add (generation 2 extended times)
    std::uint32_t attributes = 0;
    std::uint64_t host = 0;
    std::uint64_t dictionary_bytes = 0;
    std::uint32_t unpack_version = 0;   // major * 256 + minor
    std::uint32_t hash_kind = 0;
    std::array<std::uint8_t, 32> hash{};
    std::uint64_t link_type = 0;
    std::uint64_t version_suffix = 0;   // generation 3: appended to the name when nonzero
    bool directory = false;
    bool solid = false;
    bool encrypted = false;
    bool password_check_matches = false;  // a stored password check value agrees with its sum
    bool split_before = false;
    bool split_after = false;
    std::uint64_t recovery_sectors = 0;  // generation 2 "RR" service headers
};

// One parsed header.
struct ParsedHeader {
    HeaderKind kind = HeaderKind::kOther;
    std::uint64_t header_size = 0;  // bytes of the header in the file
    std::uint64_t data_size = 0;    // bytes that follow the header before the next one
    bool malformed = false;         // sizes contradict each other: the walk cannot go on
    bool checksum_ok = true;

    ItemFacts item;  // kFile and kService

    // kMain.
    bool volume = false;
    bool comment = false;
    bool locked = false;
    bool solid = false;
    bool recovery = false;
    bool encrypted_headers = false;
    bool first_volume = false;
    bool new_naming = false;
    bool has_volume_number = false;
    std::uint64_t volume_number = 0;  // 0-based
    std::uint64_t quick_open_offset = 0;  // relative to the main header; 0 = none

    // kEnd (generation 2 may carry the volume number here).
    bool end_has_volume_number = false;
    std::uint32_t end_volume_number = 0;

    // Generation 2 recovery block 0x78.
    bool recovery_block = false;
    std::uint64_t recovery_size = 0;

    // kEncryption.
    bool encryption_known = false;  // version 0 and a parameter the format allows
    bool password_check_matches = false;  // a stored password check value agrees with its sum
};

// A stored name: it ends at its first zero byte and is cut to the length the reader keeps.
inline std::string stored_name(std::span<const std::uint8_t> raw) {
    raw = raw.first(std::min(raw.size(), kMaxNameBytes));
    auto end = std::find(raw.begin(), raw.end(), std::uint8_t{0});
    return std::string(raw.begin(), end);
}

}  // namespace kub::kubfmt

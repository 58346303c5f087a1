#pragma once
// A writer of KUB archives for tests: every header generation, every header kind the reader
// handles, with checksums computed as the format stores them, so tests can build exact fixtures
// field by field and then damage them on purpose. Nothing is compressed: item data is filler.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kub::test {

using Bytes = std::vector<std::uint8_t>;

void append(Bytes& out, std::span<const std::uint8_t> more);
void put_le(Bytes& out, std::uint64_t value, unsigned width);
Bytes vint(std::uint64_t value);
Bytes text_bytes(std::string_view text);

// A self-extracting module of `size` bytes (never containing a signature), with "KSFX" at 28..31
// when asked.
Bytes sfx_stub(std::size_t size, bool ksfx_tag = false);

// ---- Generation 1 ("KE~^") ----

struct Gen1Item {
    std::string name;  // OEM code page
    std::uint32_t packed_size = 0;
    std::uint32_t unpacked_size = 0;
    std::uint16_t checksum = 0;
    std::uint32_t dos_time = 0;
    std::uint8_t attributes = 0x20;
    std::uint8_t flags = 0;       // 0x01 split before, 0x02 split after, 0x04 encrypted
    std::uint8_t version = 2;     // 2 means 1.3
    std::optional<std::uint16_t> header_size;  // overrides the computed size
};

Bytes gen1_main_header(std::uint8_t flags, std::span<const std::uint8_t> comment = {});
// The header followed by packed_size filler bytes.
Bytes gen1_item(const Gen1Item& item);

// ---- Generation 2 (block headers) ----

inline constexpr std::uint8_t kSignatureGen2[7] = {'K', 'u', 'b', '!', 0x1A, 0x07, 0x00};

// Any block: the 7 common bytes (checksum, type, flags, size) in front of `body`. The checksum
// covers bytes 2..`checksum_end` (whole header when 0).
Bytes gen2_block(std::uint8_t type, std::uint16_t flags, std::span<const std::uint8_t> body,
                 std::size_t checksum_end = 0);

Bytes gen2_main(std::uint16_t flags, std::span<const std::uint8_t> embedded_comment = {});
Bytes gen2_end(std::uint16_t flags, std::optional<std::uint16_t> volume_number = {});

struct Gen2Time {
    bool present = false;
    std::uint32_t dos_time = 0;    // not stored for the modification time
    bool plus_second = false;
    std::uint32_t fraction = 0;    // 24-bit count of 100 ns units
    unsigned stored_bytes = 0;     // 0..3 high-order bytes of the fraction
};
// The extended-times field: modification, creation, access, archiving.
Bytes gen2_extended_times(const std::array<Gen2Time, 4>& times);

struct Gen2Item {
    std::uint8_t type = 0x74;     // 0x74 file, 0x7A service
    std::string name;             // OEM (files) or ANSI (service) bytes
    std::u16string wide_name;     // stored in encoded form (flag 0x0200) when not empty
    std::uint64_t packed_size = 0;
    std::uint64_t unpacked_size = 0;
    bool large_sizes = false;     // flag 0x0100
    std::uint8_t host = 2;
    std::uint32_t crc = 0;
    std::uint32_t dos_time = 0;
    std::uint8_t version = 29;
    std::uint32_t attributes = 0x20;
    std::uint16_t flags = 0;      // split, encrypted, solid, dictionary bits...
    bool salt = false;            // flag 0x0400
    Bytes extended_times;         // flag 0x1000 when not empty
    Bytes service_data;           // inside the header after name and salt
    bool partial_checksum = false;  // flag 0x0008: checksum over the fields only
    Bytes trailing;               // bytes after the fields (outside a partial checksum)
    bool write_data = true;       // follow the header with packed_size filler bytes
};
Bytes gen2_item(const Gen2Item& item);

// A recovery-record service header whose data says `sectors` sectors of 512 bytes.
Gen2Item gen2_recovery_service(std::uint32_t sectors);

// The encoded UTF-16 form of a name next to its OEM bytes (what follows the zero byte).
Bytes encode_wide_name(std::string_view oem, std::u16string_view wide);

// ---- Generation 3 (5.0) ----

inline constexpr std::uint8_t kSignatureGen3[8] = {'K', 'u', 'b', '!', 0x1A, 0x07, 0x01, 0x00};

// Any header: CRC32 and size in front of type, flags, the optional sizes, `fields` and `extra`.
Bytes gen3_header(std::uint64_t type, std::uint64_t flags, std::span<const std::uint8_t> fields,
                  std::span<const std::uint8_t> extra = {}, std::optional<std::uint64_t> data_size = {});

Bytes gen3_extra_record(std::uint64_t type, std::span<const std::uint8_t> payload);
Bytes gen3_locator(std::uint64_t quick_open_offset, std::uint64_t recovery_offset = 0);
Bytes gen3_main(std::uint64_t archive_flags, std::optional<std::uint64_t> volume_number = {},
                std::span<const std::uint8_t> extra = {});
Bytes gen3_end(std::uint64_t flags = 0);
Bytes gen3_encryption_header(std::uint64_t version, std::uint8_t parameter, bool check = true,
                             bool check_sum_matches = true);

// Extra records of file and service headers.
Bytes gen3_time_record(std::optional<std::uint64_t> modification, bool unix_time = false);
Bytes gen3_hash_record(const std::array<std::uint8_t, 32>& digest);
Bytes gen3_version_record(std::uint64_t version);
Bytes gen3_redirection_record(std::uint64_t type, std::string_view target);
Bytes gen3_owner_record(std::string_view user, std::string_view group);
Bytes gen3_encryption_record(std::uint64_t version, std::uint8_t parameter,
                             bool check_sum_matches = true);
Bytes gen3_service_data_record(std::span<const std::uint8_t> data);

struct Gen3Item {
    std::uint64_t type = 2;        // 2 file, 3 service
    std::string name;              // UTF-8
    std::uint64_t head_flags = 0;  // 0x0008 split before, 0x0010 split after
    std::uint64_t file_flags = 0x0004;  // directory, Unix time, CRC, unknown size
    std::uint64_t unpacked_size = 0;
    std::uint64_t attributes = 0x20;
    std::uint32_t unix_time = 0;
    std::uint32_t crc = 0;
    std::uint64_t compression = 0;
    std::uint64_t host = 0;
    Bytes extra;                   // concatenated extra records
    std::uint64_t packed_size = 0; // data size; filler data follows
    Bytes data;                    // when not empty: the data itself (packed_size ignored)
};
Bytes gen3_item_header(const Gen3Item& item);
Bytes gen3_item(const Gen3Item& item);  // header and data

// One quick-open record copying archive bytes from (QO header position - offset) on.
Bytes gen3_quick_open_record(std::uint64_t offset, std::span<const std::uint8_t> copy,
                             std::uint64_t flags = 0);

// ---- Whole archives ----

struct Gen1Archive {
    Bytes sfx;
    std::uint8_t main_flags = 0;
    std::vector<Gen1Item> items;
};
Bytes build(const Gen1Archive& archive);

struct Gen2Archive {
    Bytes sfx;
    std::uint16_t main_flags = 0;
    std::vector<Gen2Item> items;   // file and service headers in order
    bool end_block = true;
    std::uint16_t end_flags = 0;
    std::optional<std::uint16_t> end_volume_number;
};
Bytes build(const Gen2Archive& archive);

struct Gen3Archive {
    Bytes sfx;
    std::uint64_t archive_flags = 0;
    std::optional<std::uint64_t> volume_number;
    std::vector<Gen3Item> items;
    bool quick_open = false;      // a "QO" service header copying every item header
    bool end_header = true;
    std::uint64_t end_flags = 0;
    // Encrypted headers: an encryption header right after the signature, then these bytes.
    std::optional<Bytes> encrypted_rest;
};
// Where the parts of a built generation-3 archive lie (file offsets).
struct Gen3Layout {
    std::size_t main = 0;
    std::vector<std::size_t> items;    // item headers
    std::size_t quick_open = 0;        // the QO header (0 when none)
    std::size_t quick_open_data = 0;
    std::size_t quick_open_size = 0;
    std::vector<std::size_t> records;  // quick-open records
};
Bytes build(const Gen3Archive& archive, Gen3Layout* layout = nullptr);

// Named fixtures covering every generation and header kind; used by tests, fuzz seeds and
// sample files.
struct NamedArchive {
    std::string file_name;
    Bytes bytes;
};
std::vector<NamedArchive> kub_sample_archives();

// Writes the samples into a folder; false when a file could not be written.
bool write_kub_samples(const std::string& folder);

}  // namespace kub::test

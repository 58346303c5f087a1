#pragma once
// One opened UDF volume: its descriptors, partitions and partition maps, and reads through them.
//
// Every length that comes from the image (descriptor sizes, information lengths, table counts) is
// checked against the image size before anything is allocated for it, so a read never asks for
// more than the image holds. Partition maps are addressed by their index in the logical volume
// (the partition reference of allocation descriptors).
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/files/disk_file.h"

namespace kub::udf {

struct LongAd {
    std::uint32_t length = 0;  // low 30 bits of the field
    std::uint32_t block = 0;
    std::uint16_t partition = 0;
};

LongAd read_long_ad(std::span<const std::uint8_t> bytes, std::size_t offset);

enum class MapKind { unusable = 0, physical = 1, virtual_table = 2, sparable = 3, metadata = 4 };

struct PartitionMap {
    MapKind kind = MapKind::unusable;
    std::uint16_t number = 0;
    std::vector<std::uint8_t> raw;  // the map's first 64 bytes
    std::vector<std::uint32_t> vat;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sparing;  // original, mapped
    std::uint32_t packet_length = 0;
    std::vector<std::uint8_t> metadata_entry;
    int metadata_host = -1;
};

struct PartitionDescriptor {
    std::uint32_t sequence = 0;
    std::uint16_t number = 0;
    std::uint32_t start = 0;
    std::uint32_t length = 0;
};

// The CRC of descriptor tags: CRC-CCITT, polynomial 0x1021, initial value 0, MSB first.
std::uint16_t udf_tag_crc(std::span<const std::uint8_t> bytes);
// The tag's checksum byte is right; the CRC over the bytes after the tag is right.
bool tag_checksum_matches(std::span<const std::uint8_t> descriptor);
bool tag_crc_matches(std::span<const std::uint8_t> descriptor);

class UdfVolume {
public:
    // Opens the image and reads its volume structure; false when it is not a usable UDF volume.
    bool Open(std::u16string_view path);

    std::uint16_t revision() const { return revision_; }
    const LongAd& root_directory() const { return root_; }
    bool osta_names() const { return osta_names_; }
    std::uint64_t image_size() const { return image_size_; }
    const std::vector<PartitionMap>& maps() const { return maps_; }

    // A descriptor at a block of a partition, read whole and its tag checked.
    bool ReadDescriptor(int map, std::uint32_t block, std::vector<std::uint8_t>& out);
    // A file's data (entry: a file entry or extended file entry read from `map`) from offset 0 up
    // to its information length, in pieces of 64 KiB.
    bool ReadFileData(std::span<const std::uint8_t> entry, int map, std::vector<std::uint8_t>& out);

private:
    bool ReadAbsolute(std::uint64_t position, std::span<std::uint8_t> out);
    bool ReadDescriptorAt(std::uint64_t block, std::vector<std::uint8_t>& out, bool quiet);
    bool CheckTag(std::span<const std::uint8_t> descriptor, bool quiet);
    bool WalkSequence(std::uint32_t length, std::uint32_t location, int& walked);
    void KeepPartition(std::span<const std::uint8_t> pd);
    void KeepLogicalVolume(std::span<const std::uint8_t> lvd);
    bool ResolveSpecialPartitions();
    void LoadVirtualTable(PartitionMap& map);
    bool ReadFileSet();
    const PartitionDescriptor* Partition(std::uint16_t number) const;
    bool Translate(int map, std::uint64_t offset, std::uint64_t& absolute, std::uint64_t& contiguous, int depth);
    bool ReadInPartition(int map, std::uint64_t offset, std::span<std::uint8_t> out, int depth = 0);
    // One piece of a file's data: at most `count` bytes from `offset`, never past the end of the
    // extent that holds it. Empty at the end of the data; false on failure.
    bool ReadFilePiece(std::span<const std::uint8_t> entry, int map, std::uint64_t offset, std::size_t count,
                       std::vector<std::uint8_t>& out);
    // Where a byte of a file lies: the map and partition offset of its extent and the bytes of the
    // extent from there; false when it lies in no recorded extent.
    bool LocateInExtents(std::span<const std::uint8_t> entry, int map, std::uint64_t offset, int& where_map,
                         std::uint64_t& where, std::uint64_t& left);

    std::unique_ptr<DiskFile> file_;
    std::u16string path_;
    std::uint64_t image_size_ = 0;
    bool have_primary_ = false;
    std::uint32_t primary_sequence_ = 0;
    std::vector<PartitionDescriptor> partitions_;
    bool have_logical_volume_ = false;
    std::uint32_t logical_volume_sequence_ = 0;
    bool osta_names_ = false;
    std::uint32_t block_size_ = kSectorSizeValue;
    std::uint16_t revision_ = 0;
    LongAd file_set_location_;
    std::vector<PartitionMap> maps_;
    LongAd root_;

    static constexpr std::uint32_t kSectorSizeValue = 2048;
};

}  // namespace kub::udf

#include "formats/udf/udf_volume.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/error_state.h"
#include "formats/byte_reader.h"
#include "formats/udf/udf_layout.h"

namespace kub::udf {

namespace {

constexpr int kMsgBadHeaderChecksum = 24;

const std::array<std::uint16_t, 256>& crc_table() {
    static const std::array<std::uint16_t, 256> table = [] {
        std::array<std::uint16_t, 256> t{};
        for (unsigned i = 0; i < 256; ++i) {
            std::uint16_t crc = static_cast<std::uint16_t>(i << 8);
            for (int bit = 0; bit < 8; ++bit)
                crc = static_cast<std::uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
            t[i] = crc;
        }
        return t;
    }();
    return table;
}

// The size of a descriptor by its tag: the fixed part and the variable parts it announces.
std::uint64_t descriptor_length(std::span<const std::uint8_t> d) {
    switch (le16(d, kTagIdentifier)) {
        case kIdSparingTable:
            return 56 + 8 * std::uint64_t{le16(d, kStReallocationLength)};
        case kIdLogicalVolume:
            return 440 + std::uint64_t{le32(d, kLvdMapTableLength)};
        case kIdFileSet:
            return 512;
        case kIdFileIdentifier:
            return (38 + std::uint64_t{le16(d, kFidImplementationUseLength)} + d[kFidIdentifierLength] + 3) & ~3ull;
        case kIdFileEntry:
            return kFeFixedSize + std::uint64_t{le32(d, kFeExtendedAttributesLength)} + le32(d, kFeExtendedAttributesLength + 4);
        case kIdExtendedFileEntry:
            return kEfeFixedSize + std::uint64_t{le32(d, kEfeExtendedAttributesLength)} +
                   le32(d, kEfeExtendedAttributesLength + 4);
        default:
            return kTagSize;
    }
}

bool is_entry(std::span<const std::uint8_t> entry) {
    std::uint16_t id = le16(entry, kTagIdentifier);
    return id == kIdFileEntry || id == kIdExtendedFileEntry;
}

// The allocation descriptor area of a (extended) file entry, clipped to the bytes read.
std::span<const std::uint8_t> allocation_area(std::span<const std::uint8_t> entry) {
    bool extended = le16(entry, kTagIdentifier) == kIdExtendedFileEntry;
    std::size_t lengths = extended ? kEfeExtendedAttributesLength : kFeExtendedAttributesLength;
    std::uint64_t start = (extended ? kEfeFixedSize : kFeFixedSize) + std::uint64_t{le32(entry, lengths)};
    std::uint64_t size = le32(entry, lengths + 4);
    if (start >= entry.size()) return {};
    return entry.subspan(static_cast<std::size_t>(start),
                         static_cast<std::size_t>(std::min<std::uint64_t>(size, entry.size() - start)));
}

}  // namespace

LongAd read_long_ad(std::span<const std::uint8_t> bytes, std::size_t offset) {
    LongAd ad;
    ad.length = le32(bytes, offset) & kExtentLengthMask;
    ad.block = le32(bytes, offset + 4);
    ad.partition = le16(bytes, offset + 8);
    return ad;
}

std::uint16_t udf_tag_crc(std::span<const std::uint8_t> bytes) {
    const auto& table = crc_table();
    std::uint16_t crc = 0;
    for (std::uint8_t b : bytes) crc = static_cast<std::uint16_t>((crc << 8) ^ table[((crc >> 8) ^ b) & 0xFF]);
    return crc;
}

bool tag_checksum_matches(std::span<const std::uint8_t> d) {
    if (d.size() < kTagSize) return false;
    unsigned sum = 0;
    for (std::size_t i = 0; i < kTagSize; ++i)
        if (i != kTagChecksum) sum += d[i];
    return (sum & 0xFF) == d[kTagChecksum];
}

bool tag_crc_matches(std::span<const std::uint8_t> d) {
    if (d.size() < kTagSize) return false;
    std::size_t length = std::min<std::size_t>(le16(d, kTagCrcLength), d.size() - kTagSize);
    if (le16(d, kTagCrcLength) == 0) return true;
    return udf_tag_crc(d.subspan(kTagSize, length)) == le16(d, kTagCrc);
}

bool UdfVolume::CheckTag(std::span<const std::uint8_t> d, bool quiet) {
    if (!tag_checksum_matches(d)) {
        // Places merely probed (anchors, the virtual table's search) are not reported: most are
        // not descriptors at all.
        if (!quiet) {
            ErrorState::report(kMsgBadHeaderChecksum, path_);
            ErrorState::set_code(KUB_CRC_ERROR);
        }
        return false;
    }
    return tag_crc_matches(d);
}

bool UdfVolume::ReadAbsolute(std::uint64_t position, std::span<std::uint8_t> out) {
    if (position > image_size_ || out.size() > image_size_ - position) return false;
    if (!file_->Seek(static_cast<std::int64_t>(position))) return false;
    return file_->Read(out.data(), out.size()) == static_cast<std::int64_t>(out.size());
}

bool UdfVolume::ReadDescriptorAt(std::uint64_t block, std::vector<std::uint8_t>& out, bool quiet) {
    std::uint64_t position = block * kSectorSize;
    if (block > image_size_ / kSectorSize) return false;
    out.assign(kSectorSize, 0);
    if (!ReadAbsolute(position, out)) return false;
    std::uint64_t length = descriptor_length(out);
    if (length > kSectorSize) {
        if (length > image_size_ - position) return false;
        out.resize(static_cast<std::size_t>(length));
        if (!ReadAbsolute(position + kSectorSize, std::span<std::uint8_t>(out).subspan(kSectorSize))) return false;
    }
    return CheckTag(out, quiet);
}

bool UdfVolume::Open(std::u16string_view path) {
    path_ = path;
    auto file = std::make_unique<DiskFile>();
    file->report_errors = false;
    if (!file->Open(path)) return false;
    std::int64_t size = file->FileLength();
    image_size_ = size > 0 ? static_cast<std::uint64_t>(size) : 0;
    file_ = std::move(file);

    std::uint64_t blocks = image_size_ / kSectorSize;
    const std::uint64_t places[] = {kAnchorBlock, blocks - 257, blocks - 1, kLateAnchorBlock};
    std::vector<std::uint8_t> anchor;
    bool found = false;
    for (std::uint64_t place : places) {
        if (place >= blocks) continue;  // also the places below 0, which wrap
        if (ReadDescriptorAt(place, anchor, true) && le16(anchor, kTagIdentifier) == kIdAnchor) {
            found = true;
            break;
        }
    }
    if (!found) return false;

    int walked = 0;
    if (!WalkSequence(le32(anchor, kAnchorMainExtent), le32(anchor, kAnchorMainExtent + 4), walked)) {
        walked = 0;
        if (!WalkSequence(le32(anchor, kAnchorReserveExtent), le32(anchor, kAnchorReserveExtent + 4), walked))
            return false;
    }
    if (!have_logical_volume_) return false;
    if (!ResolveSpecialPartitions()) return false;
    return ReadFileSet();
}

bool UdfVolume::WalkSequence(std::uint32_t length, std::uint32_t location, int& walked) {
    std::vector<std::uint8_t> d;
    std::uint64_t left = length;
    std::uint64_t block = location;
    while (left > 0) {
        if (++walked > kMaxSequenceDescriptors) return false;
        if (!ReadDescriptorAt(block, d, false)) return false;
        switch (le16(d, kTagIdentifier)) {
            case kIdPrimaryVolume:
                if (!have_primary_ || le32(d, kVdsNumber) > primary_sequence_) {
                    have_primary_ = true;
                    primary_sequence_ = le32(d, kVdsNumber);
                }
                break;
            case kIdVolumePointer:
                left = le32(d, kVdpNextExtent);
                block = le32(d, kVdpNextExtent + 4);
                continue;
            case kIdPartition:
                KeepPartition(d);
                break;
            case kIdLogicalVolume:
                KeepLogicalVolume(d);
                break;
            case kIdTerminating:
                return true;
            default:
                break;
        }
        std::uint64_t step = (d.size() + kSectorSize - 1) / kSectorSize;
        left -= std::min<std::uint64_t>(left, step * kSectorSize);
        block += step;
    }
    return true;
}

void UdfVolume::KeepPartition(std::span<const std::uint8_t> pd) {
    const std::uint8_t* contents = pd.data() + kPdContents + 1;
    if (std::memcmp(contents, "+NSR0", 5) != 0 || (contents[5] != '2' && contents[5] != '3')) return;
    PartitionDescriptor p;
    p.sequence = le32(pd, kVdsNumber);
    p.number = le16(pd, kPdNumber);
    p.start = le32(pd, kPdStart);
    p.length = le32(pd, kPdLength);
    for (PartitionDescriptor& kept : partitions_) {
        if (kept.number == p.number) {
            if (p.sequence >= kept.sequence) kept = p;
            return;
        }
    }
    if (partitions_.size() < kMaxPartitionDescriptors) partitions_.push_back(p);
}

void UdfVolume::KeepLogicalVolume(std::span<const std::uint8_t> lvd) {
    std::uint32_t sequence = le32(lvd, kVdsNumber);
    if (have_logical_volume_ && logical_volume_sequence_ > sequence) return;
    have_logical_volume_ = true;
    logical_volume_sequence_ = sequence;
    osta_names_ = lvd[kLvdCharset] == 0 &&
                  std::memcmp(lvd.data() + kLvdCharset + 1, kOstaCompressedUnicode, sizeof kOstaCompressedUnicode) == 0;
    block_size_ = le32(lvd, kLvdBlockSize);
    revision_ = le16(lvd, kLvdDomainSuffix);
    file_set_location_ = read_long_ad(lvd, kLvdFileSetLocation);

    maps_.clear();
    std::uint64_t count = le32(lvd, kLvdMapCount);
    std::size_t end = static_cast<std::size_t>(
        std::min<std::uint64_t>(lvd.size(), kLvdMaps + std::uint64_t{le32(lvd, kLvdMapTableLength)}));
    std::size_t offset = kLvdMaps;
    // Each map is at least a byte long (a zero length ends the table), so the descriptor's
    // size bounds the count.
    for (std::uint64_t i = 0; i < count && offset < end; ++i) {
        std::span<const std::uint8_t> raw = lvd.subspan(offset, end - offset);
        std::uint8_t length = raw.size() > kMapLength ? raw[kMapLength] : 0;
        PartitionMap map;
        map.raw.assign(raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(std::min(raw.size(), kMapSize)));
        map.raw.resize(kMapSize, 0);
        std::span<const std::uint8_t> m(map.raw);
        if (m[kMapType] == 1) {
            map.kind = MapKind::physical;
            map.number = le16(m, kMap1PartitionNumber);
        } else if (m[kMapType] == 2) {
            map.number = le16(m, kMap2PartitionNumber);
            const void* id = m.data() + kMap2Identifier;
            if (std::memcmp(id, kVirtualPartition, kMapIdentifierCompared) == 0)
                map.kind = MapKind::virtual_table;
            else if (std::memcmp(id, kSparablePartition, kMapIdentifierCompared) == 0)
                map.kind = MapKind::sparable;
            else if (std::memcmp(id, kMetadataPartition, kMapIdentifierCompared) == 0)
                map.kind = MapKind::metadata;
        }
        maps_.push_back(std::move(map));
        if (length == 0 || raw.size() < 2) break;
        offset += length;
    }
}

bool UdfVolume::ResolveSpecialPartitions() {
    std::vector<std::uint8_t> d;
    for (std::size_t i = 0; i < maps_.size(); ++i) {
        PartitionMap& map = maps_[i];
        std::span<const std::uint8_t> m(map.raw);
        if (map.kind == MapKind::virtual_table) {
            LoadVirtualTable(map);
        } else if (map.kind == MapKind::sparable) {
            map.packet_length = le16(m, kMapPacketLength);
            std::size_t tables = std::min<std::size_t>(m[kMapSparingTableCount], (kMapSize - kMapSparingTables) / 4);
            bool kept = false;
            for (std::size_t t = 0; t < tables && !kept; ++t) {
                if (!ReadDescriptorAt(le32(m, kMapSparingTables + 4 * t), d, false)) continue;
                if (le16(d, kTagIdentifier) != kIdSparingTable) continue;
                std::size_t entries = le16(d, kStReallocationLength);
                for (std::size_t e = 0; e < entries; ++e)
                    map.sparing.emplace_back(le32(d, kStEntries + 8 * e), le32(d, kStEntries + 8 * e + 4));
                kept = true;
            }
            // Without a table, or with packets of no length, nothing can be found in it.
            if (!kept || map.packet_length == 0) map.kind = MapKind::unusable;
        } else if (map.kind == MapKind::metadata) {
            int host = -1;
            for (std::size_t j = 0; j < maps_.size(); ++j)
                if (maps_[j].number == map.number && maps_[j].kind != MapKind::metadata) {
                    host = static_cast<int>(j);
                    break;
                }
            if (host < 0) return false;
            map.metadata_host = host;
            if (!ReadDescriptor(host, le32(m, kMapMetadataFile), d) || !is_entry(d)) return false;
            map.metadata_entry = d;
        }
    }
    return true;
}

void UdfVolume::LoadVirtualTable(PartitionMap& map) {
    // The table's data lies in the physical partition that carries the virtual one.
    int physical = -1;
    for (std::size_t j = 0; j < maps_.size(); ++j)
        if (maps_[j].kind == MapKind::physical && maps_[j].number == map.number) {
            physical = static_cast<int>(j);
            break;
        }
    std::uint64_t blocks = image_size_ / kSectorSize;
    std::vector<std::uint8_t> entry, data;
    for (int i = 1; i <= kVatSearchBlocks && physical >= 0; ++i) {
        if (blocks < static_cast<std::uint64_t>(i)) break;
        if (!ReadDescriptorAt(blocks - static_cast<std::uint64_t>(i), entry, true)) continue;
        // mkudffs records the table in an extended file entry.
        if (!is_entry(entry)) continue;
        if (!ReadFileData(entry, physical, data)) continue;
        std::span<const std::uint8_t> table(data);
        if (load_le(entry, kFeFileType, 1) == kFileTypeVat) {
            std::size_t header = le16(table, 0);
            if (header > table.size()) continue;
            table = table.subspan(header);
        } else {
            if (table.size() < kVatTrailerSize) continue;
            std::size_t trailer = table.size() - kVatTrailerSize;
            if (std::memcmp(table.data() + trailer + 1, kVatIdentifier, kVatIdentifierCompared) != 0) continue;
            table = table.first(trailer);
        }
        std::size_t count = table.size() / 4;
        if (count > blocks) continue;
        map.vat.resize(count);
        for (std::size_t e = 0; e < count; ++e) map.vat[e] = le32(table, 4 * e);
        return;
    }
}

bool UdfVolume::ReadFileSet() {
    LongAd at = file_set_location_;
    std::uint64_t left = at.length;
    std::uint32_t block = at.block;
    bool have = false;
    std::vector<std::uint8_t> d;
    for (int n = 0; left > 0; ++n) {
        if (n >= kMaxFileSetDescriptors) return have;
        if (!ReadDescriptor(at.partition, block, d)) return false;
        std::uint16_t id = le16(d, kTagIdentifier);
        if (id == kIdTerminating) break;
        if (id != kIdFileSet) return false;
        have = true;
        root_ = read_long_ad(d, kFsdRootDirectory);
        LongAd next = read_long_ad(d, kFsdNextExtent);
        if (next.length != 0) {
            at = next;
            left = next.length;
            block = next.block;
        } else {
            left -= std::min<std::uint64_t>(left, kSectorSize);
            ++block;
        }
    }
    return have;
}

const PartitionDescriptor* UdfVolume::Partition(std::uint16_t number) const {
    for (const PartitionDescriptor& p : partitions_)
        if (p.number == number) return &p;
    return nullptr;
}

bool UdfVolume::Translate(int index, std::uint64_t offset, std::uint64_t& absolute, std::uint64_t& contiguous,
                          int depth) {
    if (index < 0 || static_cast<std::size_t>(index) >= maps_.size() || depth > 1) return false;
    const PartitionMap& map = maps_[static_cast<std::size_t>(index)];
    const PartitionDescriptor* p = Partition(map.number);
    if (!p) return false;
    std::uint64_t size = std::uint64_t{p->length} * kSectorSize;
    if (offset >= size) return false;
    std::uint64_t start = std::uint64_t{p->start} * kSectorSize;
    switch (map.kind) {
        case MapKind::physical:
            absolute = start + offset;
            contiguous = size - offset;
            return true;
        case MapKind::virtual_table: {
            std::uint64_t block = offset / kSectorSize;
            if (block >= map.vat.size()) return false;
            absolute = (std::uint64_t{p->start} + map.vat[static_cast<std::size_t>(block)]) * kSectorSize +
                       offset % kSectorSize;
            contiguous = kSectorSize - offset % kSectorSize;
            return true;
        }
        case MapKind::sparable: {
            std::uint64_t physical = start + offset;
            std::uint64_t packet = physical / kSectorSize;
            packet -= packet % map.packet_length;
            std::uint64_t inside = physical - packet * kSectorSize;
            for (const auto& [original, mapped] : map.sparing)
                if (original == packet) {
                    packet = mapped;
                    break;
                }
            absolute = packet * kSectorSize + inside;
            contiguous = std::uint64_t{map.packet_length} * kSectorSize - inside;
            return true;
        }
        case MapKind::metadata: {
            int host = -1;
            std::uint64_t where = 0, left = 0;
            if (!LocateInExtents(map.metadata_entry, map.metadata_host, offset, host, where, left)) return false;
            std::uint64_t host_contiguous = 0;
            if (!Translate(host, where, absolute, host_contiguous, depth + 1)) return false;
            contiguous = std::min(left, host_contiguous);
            return true;
        }
        default:
            return false;
    }
}

bool UdfVolume::ReadInPartition(int map, std::uint64_t offset, std::span<std::uint8_t> out, int depth) {
    std::size_t done = 0;
    while (done < out.size()) {
        std::uint64_t absolute = 0, contiguous = 0;
        if (!Translate(map, offset + done, absolute, contiguous, depth) || contiguous == 0) return false;
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(contiguous, out.size() - done));
        if (!ReadAbsolute(absolute, out.subspan(done, n))) return false;
        done += n;
    }
    return true;
}

bool UdfVolume::ReadDescriptor(int map, std::uint32_t block, std::vector<std::uint8_t>& out) {
    std::uint64_t offset = std::uint64_t{block} * block_size_;
    out.assign(kSectorSize, 0);
    if (!ReadInPartition(map, offset, out)) return false;
    std::uint64_t length = descriptor_length(out);
    if (length > kSectorSize) {
        if (length > image_size_) return false;
        out.resize(static_cast<std::size_t>(length));
        if (!ReadInPartition(map, offset + kSectorSize, std::span<std::uint8_t>(out).subspan(kSectorSize))) return false;
    }
    return CheckTag(out, false);
}

bool UdfVolume::LocateInExtents(std::span<const std::uint8_t> entry, int map, std::uint64_t offset, int& where_map,
                                std::uint64_t& where, std::uint64_t& left) {
    unsigned kind = le16(entry, kFeIcbFlags) & 3;
    if (kind != kAdShort && kind != kAdLong) return false;
    std::span<const std::uint8_t> area = allocation_area(entry);
    std::size_t step = kind == kAdShort ? 8 : 16;
    std::vector<std::uint8_t> further;  // the allocation extent descriptor being walked
    int further_extents = 0;
    std::size_t at = 0;
    while (area.size() - at >= step) {
        std::uint32_t field = le32(area, at);
        std::uint64_t length = field & kExtentLengthMask;
        if (length == 0) break;  // a zero length ends the descriptors
        int extent_map = kind == kAdShort ? map : le16(area, at + 8);
        std::uint32_t block = le32(area, at + 4);
        if ((field >> 30) == kExtentNextDescriptors) {
            // The descriptors go on in an allocation extent descriptor elsewhere.
            if (++further_extents > kMaxAllocationExtents) return false;
            if (!ReadDescriptor(extent_map, block, further) || le16(further, kTagIdentifier) != kIdAllocationExtent)
                return false;
            std::size_t recorded = le32(further, kAedDescriptorsLength);
            std::size_t held = std::min(recorded, further.size() - kAedDescriptors);
            area = std::span<const std::uint8_t>(further).subspan(kAedDescriptors, held);
            at = 0;
            continue;
        }
        if (offset < length) {
            where_map = extent_map;
            where = std::uint64_t{block} * block_size_ + offset;
            left = length - offset;
            return true;
        }
        offset -= length;
        at += step;
    }
    return false;
}

bool UdfVolume::ReadFilePiece(std::span<const std::uint8_t> entry, int map, std::uint64_t offset,
                              std::size_t count, std::vector<std::uint8_t>& out) {
    out.clear();
    if (!is_entry(entry) || le16(entry, kFeStrategyType) != kStrategyDirect) return false;
    unsigned kind = le16(entry, kFeIcbFlags) & 3;
    std::span<const std::uint8_t> area = allocation_area(entry);
    if (kind == kAdEmbedded || area.empty()) {
        if (offset >= area.size()) return true;
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, area.size() - offset));
        out.assign(area.begin() + static_cast<std::ptrdiff_t>(offset),
                   area.begin() + static_cast<std::ptrdiff_t>(offset + n));
        return true;
    }
    int where_map = -1;
    std::uint64_t where = 0, left = 0;
    if (!LocateInExtents(entry, map, offset, where_map, where, left)) return false;
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, left));
    if (n > image_size_) return false;
    out.resize(n);
    return ReadInPartition(where_map, where, out);
}

bool UdfVolume::ReadFileData(std::span<const std::uint8_t> entry, int map, std::vector<std::uint8_t>& out) {
    out.clear();
    // The length comes from the image: no file holds more than the image does.
    std::uint64_t length = le64(entry, kFeInformationLength);
    if (length > image_size_) return false;
    std::vector<std::uint8_t> piece;
    while (out.size() < length) {
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kDirectoryPiece, length - out.size()));
        if (!ReadFilePiece(entry, map, out.size(), want, piece)) return false;
        if (piece.empty()) break;
        out.insert(out.end(), piece.begin(), piece.end());
    }
    return true;
}

}  // namespace kub::udf

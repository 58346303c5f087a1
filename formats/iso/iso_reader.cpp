#include "formats/iso/iso_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/error_state.h"
#include "common/text/encoding.h"
#include "common/text/text_compare.h"
#include "common/time/common_time.h"
#include "formats/byte_reader.h"
#include "formats/format_registry.h"
#include "formats/iso/iso_layout.h"
#include "formats/reader_guard.h"
#include "formats/udf/udf_recognition.h"

namespace kub {

using namespace iso;

namespace {

bool is_volume_descriptor(std::span<const std::uint8_t> vd, std::uint8_t type) {
    return vd.size() >= kSectorSize && vd[kVdType] == type &&
           std::memcmp(vd.data() + kVdStandardId, kStandardId, sizeof kStandardId) == 0 && vd[kVdVersion] == 1 &&
           vd[kVdReserved] == 0;
}

bool has_joliet_escape(std::span<const std::uint8_t> vd) {
    std::uint8_t level = vd[kVdEscapeSequences + 2];
    return vd[kVdEscapeSequences] == '%' && vd[kVdEscapeSequences + 1] == '/' &&
           (level == '@' || level == 'C' || level == 'E');
}

std::span<const std::uint8_t> record_identifier(std::span<const std::uint8_t> record) {
    std::size_t length = static_cast<std::size_t>(load_le(record, kDrIdentifierLength, 1));
    if (record.size() <= kDrIdentifier) return {};
    return record.subspan(kDrIdentifier, std::min(length, record.size() - kDrIdentifier));
}

}  // namespace

std::unique_ptr<ArchiveReader> create_iso_reader(const ReaderOptions* options) {
    return std::make_unique<IsoReader>(options);
}

std::u16string IsoReader::GetExtensions() { return u"iso"; }

void IsoReader::Release() {
    file_.reset();
    path_table_.clear();
    path_table_.shrink_to_fit();
    record_offsets_.clear();
    record_offsets_.shrink_to_fit();
    directory_.clear();
    bytes_left_ = 0;
    next_record_ = 0;
}

bool IsoReader::Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
                     int flags) {
    (void)flags;
    Release();
    if (carries_udf_recognition(head)) return false;
    if (head.size() < kMinimumHead) return false;
    std::span<const std::uint8_t> primary = head.subspan(kFirstDescriptorOffset, kSectorSize);
    if (!is_volume_descriptor(primary, kVdPrimary) || le16(primary, kVdLogicalBlockSize) != kSectorSize)
        return false;

    return open_guarded(
        [&] {
            auto file = std::make_unique<BufferedInputFile>();
            file->report_errors = false;
            if (!file->Open(path)) return false;

            std::span<const std::uint8_t> used = primary;
            joliet_ = false;
            for (int i = 0; i < kMaxDescriptorsScanned; ++i) {
                std::size_t offset = kFirstDescriptorOffset + static_cast<std::size_t>(i) * kSectorSize;
                if (head.size() - offset < kSectorSize) break;
                std::span<const std::uint8_t> vd = head.subspan(offset, kSectorSize);
                if (is_volume_descriptor(vd, kVdSupplementary) && has_joliet_escape(vd)) {
                    used = vd;
                    joliet_ = true;
                    break;
                }
            }

            std::int64_t length = file->FileLength();
            image_size_ = length > 0 ? static_cast<std::uint64_t>(length) : 0;
            // The table's size and place come from the image: a table that would reach past the end
            // of the image cannot be read whole, so nothing is allocated for it.
            std::uint64_t table_size = le32(used, kVdPathTableSize);
            std::uint64_t table_start = std::uint64_t{le32(used, kVdPathTableLocation)} * kSectorSize;
            if (table_start > image_size_ || table_size > image_size_ - table_start) return false;
            file_ = std::move(file);
            path_table_.resize(static_cast<std::size_t>(table_size));
            if (!ReadAt(table_start, path_table_)) {
                Release();
                return false;
            }

            // Index the records; a record cut by the end of the table is not one.
            std::span<const std::uint8_t> table(path_table_);
            for (std::size_t offset = 0; table.size() - offset >= kPtFixedSize;) {
                std::size_t id_length = table[offset + kPtIdentifierLength];
                std::size_t size = kPtFixedSize + id_length + (id_length & 1);
                if (table.size() - offset < size) break;
                record_offsets_.push_back(offset);
                offset += size;
            }
            next_record_ = 0;
            bytes_left_ = 0;
            trans_tbl_listed_ = false;
            last_date_ = {};
            last_time_ = time_from_local(LocalTime{});
            start_offset = 0;
            return true;
        },
        [this] { Release(); });
}

void IsoReader::Close(ArchiveSummary& summary) {
    summary.FormatName = joliet_ ? u"ISO 9660 Joliet" : u"ISO 9660";
    Release();
}

bool IsoReader::ReadAt(std::uint64_t position, std::span<std::uint8_t> out) {
    if (position > image_size_ || out.size() > image_size_ - position) return false;
    if (!file_->Seek(static_cast<std::int64_t>(position))) return false;
    std::int64_t got = file_->Read(out.data(), out.size());
    if (got != static_cast<std::int64_t>(out.size())) return false;
    position_ = position + out.size();
    return true;
}

// The recording date read as a local wall-clock time; 0 when it is no valid date. Records of one
// image mostly share their dates, so the last conversion is kept.
CommonTime IsoReader::RecordTime(std::span<const std::uint8_t> record) {
    std::array<std::uint8_t, 6> date{};
    for (std::size_t i = 0; i < date.size(); ++i) date[i] = static_cast<std::uint8_t>(load_le(record, kDrRecordingDate + i, 1));
    if (date == last_date_) return last_time_;
    LocalTime t;
    t.year = 1900u + date[0];
    t.month = date[1];
    t.day = date[2];
    t.hour = date[3];
    t.minute = date[4];
    t.second = date[5];
    last_date_ = date;
    last_time_ = time_from_local(t);
    return last_time_;
}

std::u16string IsoReader::ConvertName(std::span<const std::uint8_t> identifier) const {
    std::u16string name;
    if (joliet_) {
        // UCS-2, most significant byte first; an odd last byte has no partner and is dropped.
        name.reserve(identifier.size() / 2);
        for (std::size_t i = 0; i + 1 < identifier.size(); i += 2) {
            char16_t unit = static_cast<char16_t>((identifier[i] << 8) | identifier[i + 1]);
            if (unit == 0) break;
            name.push_back(unit);
        }
    } else {
        std::size_t length = std::min(identifier.size(), kMaxIdentifierBytes);
        ansi_to_wide(std::string_view(reinterpret_cast<const char*>(identifier.data()), length), name);
    }
    if (name.size() > 2 && name.compare(name.size() - 2, 2, u";1") == 0) name.resize(name.size() - 2);
    return name;
}

std::u16string IsoReader::PathTableName(std::size_t record) const {
    std::span<const std::uint8_t> table(path_table_);
    std::size_t offset = static_cast<std::size_t>(record_offsets_[record]);
    std::size_t id_length = table[offset + kPtIdentifierLength];
    return ConvertName(table.subspan(offset + kPtIdentifier, id_length));
}

int IsoReader::ReadItem(ItemHeader& item) {
    if (!file_) return kNoMoreItems;
    try {
        // Entries whose name comes out empty (the root directory first of all) are passed over.
        // Every turn consumes a path table record or bytes of the image, so this ends.
        for (;;) {
            int result = ReadEntry(item);
            if (result != kItemRead || !item.Name.empty()) return result;
            item = ItemHeader{};
        }
    } catch (const std::bad_alloc&) {
        ErrorState::out_of_memory();
    }
}

int IsoReader::ReadEntry(ItemHeader& item) {
    while (bytes_left_ > 0) {
        bool returned = false;
        int result = ReadFileRecord(item, returned);
        if (result != kItemRead || returned) return result;
    }
    return StartDirectory(item);
}

int IsoReader::StartDirectory(ItemHeader& item) {
    if (next_record_ >= record_offsets_.size()) return kNoMoreItems;
    std::size_t record = static_cast<std::size_t>(next_record_++);
    std::span<const std::uint8_t> table(path_table_);

    // The ancestors, nearest first, as far as kMaxPathLevels; a parent number that names the
    // record itself or a later one merely repeats names until the bound is reached.
    std::u16string path;
    std::int64_t index = std::int64_t{le16(table, record_offsets_[record] + kPtParent)} - 1;
    for (int level = 0; level < kMaxPathLevels && index > 0; ++level) {
        if (static_cast<std::uint64_t>(index) >= record_offsets_.size()) return kItemDamagedSource;
        std::size_t ancestor = static_cast<std::size_t>(index);
        path.insert(0, PathTableName(ancestor) + u'\\');
        if (path.size() > kMaxPathUnits) path.resize(kMaxPathUnits);
        index = std::int64_t{le16(table, record_offsets_[ancestor] + kPtParent)} - 1;
    }
    path += PathTableName(record);
    if (path.size() > kMaxPathUnits) path.resize(kMaxPathUnits);
    directory_ = path;
    item.Name = path;

    // The "." record of the extent carries the directory's own date, flags and length.
    std::uint64_t extent = std::uint64_t{le32(table, record_offsets_[record] + kPtExtent)} * kSectorSize;
    std::uint8_t dot[256];
    if (!ReadAt(extent, std::span<std::uint8_t>(dot, 1)) || dot[0] == 0) return kNoMoreItems;
    std::size_t length = dot[0];
    if (!ReadAt(extent + 1, std::span<std::uint8_t>(dot + 1, length - 1))) return kNoMoreItems;
    std::span<const std::uint8_t> self(dot, length);
    bytes_left_ = static_cast<std::int32_t>(le32(self, kDrDataLength) - static_cast<std::uint32_t>(length));
    item.ModTime = RecordTime(self);
    item.Attributes = kAttrDirectory | ((load_le(self, kDrFlags, 1) & kFlagHidden) ? 0x02u : 0u);
    item.IsDirectory = true;
    return kItemRead;
}

int IsoReader::ReadFileRecord(ItemHeader& item, bool& returned) {
    int length = file_->ReadByte();
    if (length < 0) return kNoMoreItems;
    ++position_;
    if (length == 0) {
        // The rest of the sector is unused: records never cross a sector boundary.
        std::uint64_t zero_at = position_ - 1;
        std::uint64_t boundary = (zero_at / kSectorSize + 1) * kSectorSize;
        bytes_left_ -= static_cast<std::int32_t>(boundary - zero_at);
        if (bytes_left_ > 0 && boundary != position_) {
            if (!file_->Seek(static_cast<std::int64_t>(boundary))) return kNoMoreItems;
            position_ = boundary;
        }
        return kItemRead;
    }
    std::uint8_t buffer[256];
    buffer[0] = static_cast<std::uint8_t>(length);
    std::int64_t got = file_->Read(buffer + 1, static_cast<std::size_t>(length - 1));
    if (got != length - 1) return kNoMoreItems;
    position_ += static_cast<std::uint64_t>(got);
    bytes_left_ -= length;
    std::span<const std::uint8_t> record(buffer, static_cast<std::size_t>(length));

    std::uint8_t flags = static_cast<std::uint8_t>(load_le(record, kDrFlags, 1));
    if (flags & kFlagDirectory) return kItemRead;  // directories come from the path table
    std::u16string name = ConvertName(record_identifier(record));
    if (name.size() == 9 && compare_text(name, u"trans.tbl") == 0) {
        if (trans_tbl_listed_) return kItemRead;
        trans_tbl_listed_ = true;
    }
    item.Name = directory_;
    if (!item.Name.empty()) item.Name += u'\\';
    item.Name += name;
    if (item.Name.size() > kMaxPathUnits) item.Name.resize(kMaxPathUnits);
    if (flags & kFlagHidden) item.Attributes = 0x02;
    item.UnpackedSize = item.PackedSize = le32(record, kDrDataLength);
    item.ModTime = RecordTime(record);
    returned = true;
    return kItemRead;
}

}  // namespace kub

#include "formats/udf/udf_reader.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "common/error_state.h"
#include "common/text/encoding.h"
#include "common/time/common_time.h"
#include "formats/byte_reader.h"
#include "formats/format_registry.h"
#include "formats/reader_guard.h"
#include "formats/udf/udf_layout.h"
#include "formats/udf/udf_recognition.h"

namespace kub {

using namespace udf;

namespace {

// A 12-byte timestamp read as a local wall-clock time (the zone is ignored); 0 when invalid.
CommonTime timestamp(std::span<const std::uint8_t> entry, std::size_t at) {
    LocalTime t;
    t.year = le16(entry, at + 2);
    t.month = static_cast<unsigned>(load_le(entry, at + 4, 1));
    t.day = static_cast<unsigned>(load_le(entry, at + 5, 1));
    t.hour = static_cast<unsigned>(load_le(entry, at + 6, 1));
    t.minute = static_cast<unsigned>(load_le(entry, at + 7, 1));
    t.second = static_cast<unsigned>(load_le(entry, at + 8, 1));
    std::uint32_t centi = static_cast<std::uint32_t>(load_le(entry, at + 9, 1));
    std::uint32_t hundreds = static_cast<std::uint32_t>(load_le(entry, at + 10, 1));
    std::uint32_t micro = static_cast<std::uint32_t>(load_le(entry, at + 11, 1));
    if (centi < 100 && hundreds < 100 && micro < 100) t.remainder = centi * 100000 + hundreds * 1000 + micro * 10;
    return time_from_local(t);
}

bool same_entry(const LongAd& a, const LongAd& b) { return a.block == b.block && a.partition == b.partition; }

}  // namespace

std::unique_ptr<ArchiveReader> create_udf_reader(const ReaderOptions* options) {
    return std::make_unique<UdfReader>(options);
}

std::u16string UdfReader::GetExtensions() { return u"iso"; }

void UdfReader::Release() {
    volume_.reset();
    levels_.clear();
    held_bytes_ = 0;
    path_.clear();
    descend_ = true;
}

bool UdfReader::Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
                     int flags) {
    (void)flags;
    Release();
    revision_ = 0;
    if (head.size() < kMinimumHead || !carries_udf_recognition(head)) return false;
    return open_guarded(
        [&] {
            auto volume = std::make_unique<UdfVolume>();
            if (!volume->Open(path)) return false;
            revision_ = volume->revision();
            volume_ = std::move(volume);
            start_offset = 0;
            return true;
        },
        [this] { Release(); });
}

void UdfReader::Close(ArchiveSummary& summary) {
    std::u16string name = u"UDF";
    if (revision_ >= 0x100 && revision_ <= 0x300) {
        char text[16];
        std::snprintf(text, sizeof text, " %x.%02x", revision_ >> 8, revision_ & 0xFF);
        for (const char* c = text; *c; ++c) name.push_back(static_cast<char16_t>(*c));
    }
    summary.FormatName = name;
    Release();
}

std::u16string UdfReader::DecodeName(std::span<const std::uint8_t> identifier) const {
    std::u16string name;
    if (identifier.empty()) return name;
    if (volume_->osta_names()) {
        // OSTA compressed Unicode: the first byte says 8 or 16 bits per character.
        if (identifier[0] == 8) {
            for (std::size_t i = 1; i < identifier.size() && name.size() < kMaxNameUnits; ++i)
                name.push_back(identifier[i]);
        } else if (identifier[0] == 16) {
            for (std::size_t i = 1; i + 1 < identifier.size() && name.size() < kMaxNameUnits; i += 2)
                name.push_back(static_cast<char16_t>((identifier[i] << 8) | identifier[i + 1]));
        }
        return name;
    }
    std::span<const std::uint8_t> rest = identifier.subspan(1);
    ansi_to_wide(std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()), name, kMaxNameUnits + 1);
    return name;
}

bool UdfReader::Descend() {
    LongAd address = levels_.empty() ? volume_->root_directory() : levels_.back().last;
    std::vector<std::uint8_t> entry;
    Level level;
    level.self = address;
    if (!volume_->ReadDescriptor(address.partition, address.block, entry)) return false;
    if (!volume_->ReadFileData(entry, address.partition, level.data)) return false;
    if (level.data.size() > volume_->image_size() - held_bytes_) return false;
    held_bytes_ += level.data.size();
    levels_.push_back(std::move(level));
    return true;
}

int UdfReader::ReadItem(ItemHeader& item) {
    if (!volume_) return kNoMoreItems;
    try {
        return Walk(item);
    } catch (const std::bad_alloc&) {
        ErrorState::out_of_memory();
    }
}

int UdfReader::Walk(ItemHeader& item) {
    if (descend_) {
        if (levels_.size() >= static_cast<std::size_t>(kMaxDepth)) return kItemDamagedSource;
        if (!Descend()) return kItemDamagedSource;
        descend_ = false;
    }
    for (;;) {
        Level& level = levels_.back();
        std::span<const std::uint8_t> data(level.data);
        // Every identifier moves the position forward by at least its 40 fixed bytes.
        while (data.size() - level.position >= kFidFixedSize) {
            std::span<const std::uint8_t> fid = data.subspan(level.position);
            if (le16(fid, kTagIdentifier) != kIdFileIdentifier) break;
            std::size_t id_length = fid[kFidIdentifierLength];
            std::size_t use_length = le16(fid, kFidImplementationUseLength);
            std::size_t size = (kFidFixedSize + use_length + id_length + 3) & ~std::size_t{3};
            if (size > fid.size()) break;
            level.position += size;
            std::uint8_t characteristics = fid[kFidCharacteristics];
            if (characteristics & kFidDeleted) continue;
            std::u16string name = (characteristics & kFidParent)
                                      ? std::u16string(u"..")
                                      : DecodeName(fid.subspan(kFidFixedSize + use_length, id_length));
            bool directory = (characteristics & (kFidDirectory | kFidParent)) != 0;
            if (directory && (name == u"." || name == u"..")) continue;

            LongAd address = read_long_ad(fid, kFidEntry);
            level.last = address;
            item.Name = path_;
            if (!item.Name.empty()) item.Name += u'\\';
            item.Name += name;
            cut_to_capacity(item.Name, kItemNameCapacity);
            item.Attributes = directory ? kAttrDirectory : ((characteristics & kFidHidden) ? 0x02u : 0u);
            std::vector<std::uint8_t> entry;
            if (volume_->ReadDescriptor(address.partition, address.block, entry)) {
                std::uint16_t id = le16(entry, kTagIdentifier);
                if (id == kIdFileEntry || id == kIdExtendedFileEntry) {
                    if (!directory) item.UnpackedSize = item.PackedSize = le64(entry, kFeInformationLength);
                    item.ModTime = timestamp(entry, id == kIdFileEntry ? kFeModificationTime : kEfeModificationTime);
                }
            }
            if (directory) {
                item.IsDirectory = true;
                bool open_ancestor = std::any_of(levels_.begin(), levels_.end(),
                                                 [&](const Level& l) { return same_entry(l.self, address); });
                if (!open_ancestor) {
                    path_ = item.Name;
                    descend_ = true;
                }
            }
            return kItemRead;
        }
        held_bytes_ -= levels_.back().data.size();
        levels_.pop_back();
        if (levels_.empty()) return kNoMoreItems;
        std::size_t cut = path_.rfind(u'\\');
        path_.erase(cut == std::u16string::npos ? 0 : cut);
    }
}

}  // namespace kub

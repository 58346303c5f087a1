#include "formats/ace/ace_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "common/checksum/crc32.h"
#include "common/files/path_ops.h"
#include "common/text/encoding.h"
#include "common/time/common_time.h"
#include "formats/ace/ace_layout.h"
#include "formats/byte_reader.h"
#include "formats/byte_search.h"
#include "formats/damage_report.h"
#include "formats/file_read.h"
#include "formats/format_registry.h"

namespace kub {

using namespace ace;

namespace {

std::uint16_t header_crc(std::span<const std::uint8_t> counted) {
    return static_cast<std::uint16_t>(crc32_update(0xFFFFFFFFu, counted.data(), counted.size()) & 0xFFFF);
}

// The block at `at` of `bytes` when it is whole and its CRC matches.
bool is_sound_block(std::span<const std::uint8_t> bytes, std::size_t at) {
    if (!field_fits(bytes, at, block::kPrefixSize)) return false;
    const std::size_t size = le16(bytes, at + block::kSize);
    if (!field_fits(bytes, at + block::kPrefixSize, static_cast<unsigned>(size))) return false;
    return header_crc(bytes.subspan(at + block::kPrefixSize, size)) == le16(bytes, at + block::kCrc);
}

// The first signature in `bytes` at or after `from` (up to `end`).
std::optional<std::size_t> find_signature(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t end) {
    end = std::min(end, bytes.size() >= kSignature.size() ? bytes.size() - kSignature.size() + 1 : 0);
    for (std::size_t i = from; i < end; ++i) {
        const auto* hit = find_byte(bytes.data() + i, '*', end - i);
        if (!hit) break;
        i = static_cast<std::size_t>(hit - bytes.data());
        if (std::memcmp(hit, kSignature.data(), kSignature.size()) == 0) return i;
    }
    return std::nullopt;
}

}  // namespace

std::unique_ptr<ArchiveReader> create_ace_reader(const ReaderOptions* options) {
    return std::make_unique<AceReader>(options);
}

std::u16string AceReader::GetExtensions() { return u"ace|c##"; }

void NextAceVolumeName(std::u16string& name) {
    std::u16string_view ext = extension(name);
    if (ext.size() < 2) return;  // no extension (or a bare dot)
    auto digit = [&](std::size_t i) -> int {
        return i < ext.size() && ext[i] >= u'0' && ext[i] <= u'9' ? ext[i] - u'0' : -1;
    };
    // ext[0] is the dot; the number stands in the second and third characters.
    int next = 0;
    if (digit(2) >= 0 && digit(3) >= 0) {
        next = digit(2) * 10 + digit(3) + (digit(1) >= 0 ? digit(1) * 100 : 0) + 1;
    }
    if (next > 999) return;  // the naming has no further volume
    std::u16string three;
    three += next >= 100 ? static_cast<char16_t>(u'0' + next / 100) : u'C';
    three += static_cast<char16_t>(u'0' + next / 10 % 10);
    three += static_cast<char16_t>(u'0' + next % 10);
    name.replace(name.size() - ext.size() + 1, std::u16string::npos, three);
}

bool AceReader::Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
                     int flags) {
    (void)flags;
    file_.reset();
    if (head.size() < main_header::kSignature + 8) return false;
    std::optional<std::size_t> found = find_signature(head, main_header::kSignature, head.size() - 7);
    if (!found) return false;
    start_offset_ = static_cast<std::int32_t>(*found - main_header::kSignature);
    start_offset = start_offset_;
    archive_name_ = path;
    cut_to_capacity(archive_name_, kPathCapacity);
    skip_ = 0;

    auto file = std::make_unique<DiskFile>();
    file->report_errors = false;
    if (!file->Open(path)) return false;
    // The main header is the first block with the signature whose CRC matches, within the first
    // 256 KiB (read with room for the largest header that starts there).
    std::vector<std::uint8_t> bytes(kMainHeaderSearchBytes + block::kPrefixSize + 0xFFFF);
    bytes.resize(read_fully(*file, bytes.data(), bytes.size()));
    const std::size_t search_end = std::min(bytes.size(), kMainHeaderSearchBytes);
    std::optional<std::size_t> main;
    for (std::optional<std::size_t> at = find_signature(bytes, main_header::kSignature, search_end); at;
         at = find_signature(bytes, *at + 1, search_end)) {
        if (is_sound_block(bytes, *at - main_header::kSignature)) {
            main = *at - main_header::kSignature;
            break;
        }
    }
    if (!main) return false;
    std::span<const std::uint8_t> header(bytes.data() + *main, bytes.size() - *main);
    main_flags_ = le16(header, block::kFlags);
    version_needed_ = static_cast<std::uint8_t>(load_le(header, main_header::kVersionNeeded, 1));
    host_ = static_cast<std::uint8_t>(load_le(header, main_header::kHost, 1));
    const std::size_t main_end = *main + block::kPrefixSize + le16(header, block::kSize);
    if (!file->Seek(static_cast<std::int64_t>(main_end))) return false;
    file_ = std::move(file);
    return true;
}

void AceReader::Close(ArchiveSummary& summary) {
    summary.FormatName = u"ACE";
    summary.SfxSize = start_offset_;
    summary.IsVolume = (main_flags_ & kMainMultiVolume) != 0;
    summary.HasComment = (main_flags_ & kMainComment) != 0;
    summary.RecoverySize = (main_flags_ & kMainRecovery) ? ~std::uint64_t{0} : 0;
    summary.IsLocked = (main_flags_ & kMainLocked) != 0;
    summary.IsSolid = (main_flags_ & kMainSolid) != 0;
    file_.reset();
    header_.clear();
    header_.shrink_to_fit();
}

bool AceReader::ReadBlock() {
    if (skip_ != 0 && !file_->Seek(skip_, SeekMethod::current)) return false;
    skip_ = 0;
    std::array<std::uint8_t, block::kPrefixSize> prefix{};
    if (read_fully(*file_, prefix.data(), prefix.size()) < prefix.size()) return false;
    const std::size_t size = le16(prefix, block::kSize);
    header_.assign(prefix.begin(), prefix.end());
    header_.resize(block::kPrefixSize + size);
    if (read_fully(*file_, header_.data() + block::kPrefixSize, size) < size) return false;
    if (le16(header_, block::kFlags) & kFlagAddSize) skip_ = le32(header_, block::kAddSize);
    if (header_crc(std::span<const std::uint8_t>(header_).subspan(block::kPrefixSize)) != le16(prefix, block::kCrc)) {
        report_damaged_archive(archive_name_);
        return false;
    }
    return true;
}

int AceReader::ReadItem(ItemHeader& item) {
    if (!file_) return kNoMoreItems;
    do {
        if (!ReadBlock()) return kNoMoreItems;
    } while (load_le(header_, block::kType, 1) != kTypeFile);

    const std::size_t size = header_.size() - block::kPrefixSize;
    if (size < file_header::kMinimumSize || size - file_header::kSizeWithoutName > kMaxNameBytes) {
        report_damaged_archive(archive_name_);
        return kNoMoreItems;
    }
    const std::size_t stored_length = std::min<std::size_t>(le16(header_, file_header::kNameLength), kMaxNameBytes);
    const std::size_t name_length = std::min(stored_length, header_.size() - std::min(header_.size(), file_header::kName));
    std::string name(reinterpret_cast<const char*>(header_.data() + file_header::kName), name_length);
    oem_to_wide(name, item.Name, kItemNameCapacity);

    const std::uint16_t flags = le16(header_, block::kFlags);
    item.Attributes = le32(header_, file_header::kAttributes);
    item.IsDirectory = (item.Attributes & kAttrDirectory) != 0;
    item.PackedSize = le32(header_, file_header::kPackedSize);
    item.UnpackedSize = le32(header_, file_header::kOriginalSize);
    item.HashKind = kHashCrc32;
    const std::uint32_t crc = ~le32(header_, file_header::kCrc32);
    for (int i = 0; i < 4; ++i) item.HashValue[i] = static_cast<std::uint8_t>(crc >> (8 * i));
    item.ModTime = time_from_packed(le32(header_, file_header::kDateTime));
    item.DictSizeKB = kDictSizeKB;
    item.UnpackVersion = (version_needed_ / 10u) * 256u + version_needed_ % 10u;
    item.IsEncrypted = (flags & kFileEncrypted) != 0;
    item.SplitBefore = (flags & kFileSplitBefore) != 0;
    item.SplitAfter = (flags & kFileSplitAfter) != 0;
    if (host_ < std::size(kHostNames)) item.HostOS = kHostNames[host_];
    return kItemRead;
}

}  // namespace kub

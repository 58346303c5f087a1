#include "formats/cab/cab_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "common/files/path_ops.h"
#include "common/text/encoding.h"
#include "common/time/common_time.h"
#include "formats/byte_reader.h"
#include "formats/byte_search.h"
#include "formats/cab/cab_layout.h"
#include "formats/file_read.h"
#include "formats/format_registry.h"

namespace kub {

using namespace cab;

namespace {

std::unique_ptr<DiskFile> open_quietly(std::u16string_view path) {
    auto file = std::make_unique<DiskFile>();
    file->report_errors = false;
    if (!file->Open(path)) return nullptr;
    return file;
}

// A zero-terminated header string, at most kMaxHeaderStringBytes bytes (a longer one is cut
// there and the rest read as what follows).
std::string header_string(ByteReader& in) {
    std::string text;
    while (text.size() < kMaxHeaderStringBytes && in.remaining() > 0) {
        char c = static_cast<char>(in.u8());
        if (c == '\0') break;
        text += c;
    }
    return text;
}

}  // namespace

std::unique_ptr<ArchiveReader> create_cab_reader(const ReaderOptions* options) {
    return std::make_unique<CabReader>(options);
}

std::optional<std::size_t> find_cab_header(std::span<const std::uint8_t> bytes) {
    if (bytes.size() <= header::kSize) return std::nullopt;
    const std::size_t end = bytes.size() - header::kSize;
    for (std::size_t i = 0; i < end; ++i) {
        const std::uint8_t* hit = find_byte(bytes.data() + i, kSignature[0], end - i);
        if (!hit) break;
        i = static_cast<std::size_t>(hit - bytes.data());
        if (std::memcmp(hit, kSignature, sizeof kSignature) != 0) continue;
        auto h = bytes.subspan(i, header::kSize);
        unsigned major = h[header::kVersionMajor];
        if (le32(h, header::kCbCabinet) > 8 && le32(h, header::kCoffFiles) > 8 && major >= 1 && major <= 15 &&
            h[header::kVersionMinor] < 128 && le16(h, header::kCFolders) != 0 && le32(h, header::kReserved1) == 0 &&
            le32(h, header::kReserved2) == 0 && le32(h, header::kReserved3) == 0)
            return i;
    }
    return std::nullopt;
}

bool CabReader::Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
                     int flags) {
    (void)flags;
    file_.reset();
    std::optional<std::size_t> found = find_cab_header(head);
    if (!found) return false;
    start_offset_ = static_cast<std::int32_t>(*found);
    start_offset = start_offset_;

    file_ = open_quietly(path);
    if (!file_) return false;
    std::array<std::uint8_t, header::kSize> h{};
    if (!file_->Seek(start_offset_) || read_fully(*file_, h.data(), h.size()) < h.size()) {
        file_.reset();
        return false;
    }
    std::uint16_t header_flags = le16(h, header::kFlags);
    is_volume_ = (header_flags & (kFlagPrevCabinet | kFlagNextCabinet)) != 0;
    version_ = h[header::kVersionMajor] * 256u + h[header::kVersionMinor];
    files_left_ = le16(h, header::kCFiles);
    file_->Seek(static_cast<std::int64_t>(start_offset_) + le32(h, header::kCoffFiles));
    return true;
}

void CabReader::Close(ArchiveSummary& summary) {
    summary.FormatName = u"CAB";
    summary.SfxSize = start_offset_;
    summary.IsVolume = is_volume_;
    file_.reset();
}

std::u16string CabReader::GetExtensions() { return u"cab"; }

int CabReader::ReadItem(ItemHeader& item) {
    if (!file_ || files_left_ == 0) return kNoMoreItems;
    --files_left_;

    std::array<std::uint8_t, file_entry::kSize> fixed{};
    if (read_fully(*file_, fixed.data(), fixed.size()) < fixed.size()) return kItemReadFailure;
    std::array<std::uint8_t, kMaxNameBytes> name_bytes{};
    std::int64_t before_name = file_->Tell();
    std::size_t got = read_fully(*file_, name_bytes.data(), name_bytes.size());
    if (before_name < 0) return kItemReadFailure;
    const std::size_t searched = std::min(got, kMaxNameBytes - 1);
    const auto* zero = find_byte(name_bytes.data(), 0, searched);
    if (!zero) return kItemDamagedSource;
    const std::size_t name_length = static_cast<std::size_t>(zero - name_bytes.data());
    if (!file_->Seek(before_name + static_cast<std::int64_t>(name_length) + 1)) return kItemReadFailure;

    std::string_view name(reinterpret_cast<const char*>(name_bytes.data()), name_length);
    std::uint16_t attribs = le16(fixed, file_entry::kAttribs);
    if (attribs & kAttribNameIsUtf8) {
        if (!utf8_to_wide(name, item.Name, kItemNameCapacity)) return kItemDamagedSource;
    } else {
        ansi_to_wide(name, item.Name, kItemNameCapacity);
    }
    std::replace(item.Name.begin(), item.Name.end(), u'/', u'\\');

    item.IsDirectory = (attribs & kAttribDirectory) != 0;
    item.Attributes = attribs & kAttribKept;
    item.PackedSize = UnknownSize;
    item.UnpackedSize = le32(fixed, file_entry::kCbFile);
    std::uint32_t packed_time = (std::uint32_t{le16(fixed, file_entry::kDate)} << 16) | le16(fixed, file_entry::kTime);
    item.ModTime = time_from_packed(packed_time);
    item.UnpackVersion = version_;
    std::uint16_t folder = le16(fixed, file_entry::kIFolder);
    item.SplitBefore = folder == kFolderContinuedFromPrev || folder == kFolderContinuedPrevAndNext;
    item.SplitAfter = folder == kFolderContinuedToNext || folder == kFolderContinuedPrevAndNext;
    item.HostOS = u"Windows";
    return kItemRead;
}

void CabReader::NextVolumeName(std::u16string& name) {
    std::u16string current = name;
    name.clear();
    std::unique_ptr<DiskFile> file = open_quietly(current);
    if (!file) return;
    std::vector<std::uint8_t> head(kNextCabinetSearchBytes);
    head.resize(read_fully(*file, head.data(), head.size()));
    std::optional<std::size_t> found = find_cab_header(head);
    if (!found) return;

    // The header with its largest optional parts: the reserved area and four strings.
    std::vector<std::uint8_t> bytes(header::kSize + header::kReserveSizesSize + 0xFFFF + 4 * kMaxHeaderStringBytes);
    if (!file->Seek(static_cast<std::int64_t>(*found))) return;
    bytes.resize(read_fully(*file, bytes.data(), bytes.size()));
    if (bytes.size() < header::kSize) return;

    ByteReader in(bytes);
    in.skip(header::kFlags);
    std::uint16_t flags = in.u16();
    in.seek(header::kSize);
    if (flags & kFlagReservePresent) {
        std::uint16_t cb_cf_header = in.u16();
        in.skip(std::size_t{cb_cf_header} + 2);
    }
    if (flags & kFlagPrevCabinet) {
        header_string(in);
        header_string(in);
    }
    if (!(flags & kFlagNextCabinet) || in.overrun()) return;
    std::string next = header_string(in);
    if (next.empty()) return;
    std::u16string next_wide;
    ansi_to_wide(next, next_wide);
    name = folder_part(current) + next_wide;
    cut_to_capacity(name, kPathCapacity);
}

}  // namespace kub

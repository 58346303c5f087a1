#include "formats/arj/arj_reader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "common/checksum/crc32.h"
#include "common/error_state.h"
#include "common/files/path_ops.h"
#include "common/text/encoding.h"
#include "common/time/common_time.h"
#include "formats/arj/arj_layout.h"
#include "formats/byte_reader.h"
#include "formats/byte_search.h"
#include "formats/damage_report.h"
#include "formats/file_read.h"
#include "formats/format_registry.h"

namespace kub {

using namespace arj;

namespace {

// The report when the main header, once found, cannot be read.
constexpr int kMsgArchiveHeaderUnreadable = 57;

bool crc_matches(std::span<const std::uint8_t> basic, std::span<const std::uint8_t> stored) {
    return crc32(basic.data(), basic.size()) == le32(stored, 0);
}

// Text up to its zero byte (or the end of `bytes`), at most `limit` bytes.
std::string zero_terminated(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t limit) {
    std::string text;
    for (std::size_t i = from; i < bytes.size() && bytes[i] != 0 && text.size() < limit; ++i)
        text += static_cast<char>(bytes[i]);
    return text;
}

enum class HeaderRead { kOk, kEnd, kFailed };

// Reads the header at the file's position. With `report`, a wrong id, an oversized header and
// a CRC mismatch are reported as damage.
HeaderRead read_header(DiskFile& file, bool report, std::u16string_view archive_name, ArjHeader& header) {
    auto damaged = [&] {
        if (report) report_damaged_archive(archive_name);
        return HeaderRead::kFailed;
    };
    std::array<std::uint8_t, kIdSize + kSizeFieldSize> start{};
    if (read_fully(file, start.data(), start.size()) < start.size()) return HeaderRead::kFailed;
    if (start[0] != kIdLow || start[1] != kIdHigh) return damaged();
    const std::size_t size = le16(start, kIdSize);
    if (size == 0) return HeaderRead::kEnd;
    if (size > kMaxBasicHeaderSize) return damaged();
    std::vector<std::uint8_t> basic(size + kCrcSize);
    if (read_fully(file, basic.data(), basic.size()) < basic.size()) return HeaderRead::kFailed;
    std::span<const std::uint8_t> fields(basic.data(), size);
    if (!crc_matches(fields, std::span<const std::uint8_t>(basic).subspan(size))) return damaged();

    header.version_needed = static_cast<std::uint8_t>(load_le(fields, basic::kVersionNeeded, 1));
    header.host_system = static_cast<std::uint8_t>(load_le(fields, basic::kHostSystem, 1));
    header.flags = static_cast<std::uint8_t>(load_le(fields, basic::kFlags, 1));
    header.file_type = static_cast<std::uint8_t>(load_le(fields, basic::kFileType, 1));
    header.date_time = le32(fields, basic::kDateTime);
    header.compressed_size = le32(fields, basic::kCompressedSize);
    header.original_size = le32(fields, basic::kOriginalSize);
    header.file_crc = le32(fields, basic::kFileCrc);
    header.access_mode = le16(fields, basic::kAccessMode);
    header.extended_position = (header.flags & kFlagExtFile) ? le32(fields, basic::kExtendedPosition) : 0;

    const std::size_t name_at = load_le(fields, basic::kFirstHeaderSize, 1);
    std::string name = zero_terminated(fields, name_at, kMaxNameBytes);
    const std::size_t comment_at = std::min(size, name_at + name.size() + 1);
    header.comment = zero_terminated(fields, comment_at, kMaxCommentBytes);
    name = oem_to_ansi(name);
    if (header.flags & kFlagPathSlash) std::replace(name.begin(), name.end(), '/', '\\');
    ansi_to_wide(name, header.name, kItemNameCapacity);

    // Extended headers: each a size, that many bytes and a CRC; a size of 0 ends them.
    for (;;) {
        std::array<std::uint8_t, kSizeFieldSize> ext_size{};
        if (read_fully(file, ext_size.data(), ext_size.size()) < ext_size.size()) break;
        const std::size_t skip = le16(ext_size, 0);
        if (skip == 0) break;
        if (!file.Seek(static_cast<std::int64_t>(skip + kCrcSize), SeekMethod::current)) break;
    }
    return HeaderRead::kOk;
}

// The first position in `bytes` where a plausible main header starts.
std::optional<std::size_t> find_main_header_candidate(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < candidate::kBytesLooked) return std::nullopt;
    const std::size_t end = std::min(bytes.size() - candidate::kBytesLooked, kHeadSearchLimit);
    for (std::size_t i = 0; i < end; ++i) {
        const auto* hit = find_byte(bytes.data() + i, kIdLow, end - i);
        if (!hit) break;
        i = static_cast<std::size_t>(hit - bytes.data());
        if (bytes[i + 1] == kIdHigh && bytes[i + candidate::kSizeHigh] < 11 &&
            bytes[i + candidate::kVersionNeeded] < 7 && bytes[i + candidate::kHostSystem] < 16 &&
            bytes[i + candidate::kSecurityVersion] < 10 && bytes[i + candidate::kFileType] == kTypeMainHeader)
            return i;
    }
    return std::nullopt;
}

// The first header id in the file's first 128 KiB whose basic header passes its CRC.
std::optional<std::int64_t> locate_main_header(DiskFile& file) {
    const std::int64_t length = file.FileLength();
    if (length < 2) return std::nullopt;
    const std::size_t limit = static_cast<std::size_t>(std::min<std::int64_t>(length - 2, kFileSearchLimit));
    // Room for the last candidate's whole header.
    std::vector<std::uint8_t> bytes(limit + kIdSize + kSizeFieldSize + kMaxBasicHeaderSize + kCrcSize);
    if (!file.Seek(0)) return std::nullopt;
    bytes.resize(read_fully(file, bytes.data(), bytes.size()));
    std::span<const std::uint8_t> all(bytes);
    for (std::size_t i = 0; i < limit && i + 1 < bytes.size(); ++i) {
        if (bytes[i] != kIdLow || bytes[i + 1] != kIdHigh) continue;
        const std::size_t size = le16(all, i + kIdSize);
        const std::size_t basic_at = i + kIdSize + kSizeFieldSize;
        if (size > kMaxBasicHeaderSize || !field_fits(all, basic_at, static_cast<unsigned>(size + kCrcSize)))
            continue;
        if (crc_matches(all.subspan(basic_at, size), all.subspan(basic_at + size, kCrcSize)))
            return static_cast<std::int64_t>(i);
    }
    return std::nullopt;
}

}  // namespace

std::unique_ptr<ArchiveReader> create_arj_reader(const ReaderOptions* options) {
    return std::make_unique<ArjReader>(options);
}

std::u16string ArjReader::GetExtensions() { return u"arj|a##"; }

bool ArjReader::Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
                     int flags) {
    (void)flags;
    file_.reset();
    std::optional<std::size_t> found = find_main_header_candidate(head);
    if (!found) return false;
    start_offset_ = static_cast<std::int32_t>(*found);
    start_offset = start_offset_;
    archive_name_ = path;
    cut_to_capacity(archive_name_, kPathCapacity);

    auto file = std::make_unique<BufferedInputFile>();
    file->report_errors = false;
    if (!file->Open(path)) {
        ErrorState::report(kMsgCannotOpen, archive_name_);
        ErrorState::set_code(KUB_OPEN_ERROR);
        return false;
    }
    std::optional<std::int64_t> main = locate_main_header(*file);
    if (!main) {
        report_damaged_archive(archive_name_);
        return false;
    }
    ArjHeader header;
    if (!file->Seek(*main) || read_header(*file, false, archive_name_, header) != HeaderRead::kOk) {
        ErrorState::report(kMsgArchiveHeaderUnreadable, archive_name_);
        ErrorState::set_code(KUB_WARNING);
        return false;
    }
    has_comment_ = !header.comment.empty();
    is_volume_ = (header.flags & kFlagVolume) != 0;
    file_ = std::move(file);
    return true;
}

void ArjReader::Close(ArchiveSummary& summary) {
    summary.FormatName = u"ARJ";
    summary.SfxSize = start_offset_;
    summary.IsVolume = is_volume_;
    summary.HasComment = has_comment_;
    file_.reset();
}

int ArjReader::ReadItem(ItemHeader& item) {
    if (!file_) return kNoMoreItems;
    ArjHeader header;
    if (read_header(*file_, true, archive_name_, header) != HeaderRead::kOk) return kNoMoreItems;

    item.Name = header.name;
    item.HasItemComment = !header.comment.empty();
    item.IsEncrypted = (header.flags & kFlagGarbled) != 0;
    item.DictSizeKB = kDictSizeKB;
    item.HostOS = u"MS DOS";
    item.SplitAfter = (header.flags & kFlagVolume) != 0;
    item.SplitBefore = header.extended_position >= 1;
    item.UnpackVersion = header.version_needed;
    item.IsDirectory = header.file_type == kTypeDirectory;
    item.Attributes = header.access_mode;
    // Archives made on other systems hold their own mode bits here; a folder still counts as one.
    if (item.IsDirectory) item.Attributes |= kAttrDirectory;
    item.PackedSize = header.compressed_size;
    item.UnpackedSize = header.original_size;
    item.ModTime = time_from_packed(header.date_time);
    item.HashKind = kHashCrc32;
    for (int i = 0; i < 4; ++i) item.HashValue[i] = static_cast<std::uint8_t>(header.file_crc >> (8 * i));

    if (!file_->Seek(header.compressed_size, SeekMethod::current)) return kNoMoreItems;
    return kItemRead;
}

void ArjReader::NextVolumeName(std::u16string& name) {
    const std::size_t dot = name.size() - extension(name).size();
    if (dot == name.size()) return;  // no extension: no next name
    if (has_extension(name, u"arj")) {
        name.replace(dot + 1, std::u16string::npos, u"a01");
        return;
    }
    const std::u16string original = name;
    std::size_t i = name.size();
    while (i > dot + 1) {
        char16_t& digit = name[i - 1];
        if (digit < u'0' || digit > u'9') break;
        if (digit != u'9') {
            ++digit;
            return;
        }
        digit = u'0';
        --i;
    }
    if (i == name.size()) return;  // no digits to count with
    // The carry ran past the digits: the character before them becomes "1" (a99 gives 100). An
    // extension of nines alone has no next name.
    if (i > dot + 1) {
        name[i - 1] = u'1';
    } else {
        name = original;
    }
}

std::vector<std::uint8_t> ArjReader::GetComment(std::u16string_view path) {
    BufferedInputFile file;
    file.report_errors = false;
    if (!file.Open(path)) return {};
    ArjHeader header;
    if (read_header(file, false, path, header) != HeaderRead::kOk || header.comment.empty()) return {};
    return std::vector<std::uint8_t>(header.comment.begin(), header.comment.end());
}

}  // namespace kub

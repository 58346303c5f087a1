#include "formats/lzh/lzh_reader.h"

#include <algorithm>
#include <cstring>

#include "common/text/encoding.h"
#include "common/time/common_time.h"
#include "formats/byte_reader.h"
#include "formats/byte_search.h"
#include "formats/damage_report.h"
#include "formats/file_read.h"
#include "formats/format_registry.h"
#include "formats/lzh/lzh_layout.h"

namespace kub {

using namespace lzh;

namespace {

bool is_method_id(std::span<const std::uint8_t> bytes, std::size_t at) {
    if (!field_fits(bytes, at, header::kMethodSize)) return false;
    std::uint8_t method = bytes[at + 3];
    return bytes[at] == '-' && bytes[at + 1] == 'l' && bytes[at + 2] == 'h' &&
           ((method >= '0' && method <= '9') || method == 'd') && bytes[at + 4] == '-';
}

// Offset of the level byte from the method id's first character.
constexpr std::size_t kLevelFromMethod = header::kLevel - header::kMethod;

}  // namespace

std::unique_ptr<ArchiveReader> create_lzh_reader(const ReaderOptions* options) {
    return std::make_unique<LzhReader>(options);
}

std::u16string LzhReader::GetExtensions() { return u"lzh|lha"; }

bool LzhReader::Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
                     int flags) {
    (void)flags;
    file_.reset();
    if (head.size() < 6 + header::kMethod) return false;
    // Method ids start with "-": candidates found with find_byte, at memory speed.
    std::size_t found = 0;
    const std::size_t end = head.size() - 5;  // the last id may start 6 bytes before the end
    for (std::size_t i = header::kMethod; i < end; ++i) {
        const std::uint8_t* hit = find_byte(head.data() + i, '-', end - i);
        if (!hit) break;
        i = static_cast<std::size_t>(hit - head.data());
        if (is_method_id(head, i) && i + kLevelFromMethod < head.size() && head[i + kLevelFromMethod] < 3) {
            found = i;
            break;
        }
    }
    if (found == 0) return false;
    start_offset_ = static_cast<std::int32_t>(found - header::kMethod);
    start_offset = start_offset_;

    auto file = std::make_unique<BufferedInputFile>();
    file->report_errors = false;
    if (!file->Open(path)) return false;
    file_size_ = static_cast<std::uint64_t>(std::max<std::int64_t>(file->FileLength(), 0));
    file_ = std::move(file);
    archive_name_ = path;
    next_header_ = static_cast<std::uint64_t>(start_offset_);
    return true;
}

void LzhReader::Close(ArchiveSummary& summary) {
    summary.FormatName = u"LZH";
    summary.SfxSize = start_offset_;
    file_.reset();
    header_.clear();
    header_.shrink_to_fit();
}

bool LzhReader::ReadHeaderBytes(std::size_t count) {
    std::size_t at = header_.size();
    header_.resize(at + count);
    const std::size_t got = read_fully(*file_, header_.data() + at, count);
    header_.resize(at + got);
    return got == count;
}

LzhReader::Parse LzhReader::ReadExtendedHeaders(std::size_t at, bool from_file, std::uint8_t os_id,
                                               LzhMemberHeader& member, std::string& directory,
                                               std::uint64_t& extended_bytes) {
    extended_bytes = 0;
    for (;;) {
        // `at` is the size field of the next extended header, inside header_.
        if (!field_fits(header_, at, 2)) return Parse::kDamaged;
        const std::size_t size = le16(header_, at);
        if (size == 0) return Parse::kOk;
        if (size < kExtMinimumSize) return Parse::kDamaged;
        const std::size_t record = at + 2;
        if (from_file) {
            if (size > kHeaderBufferSize - header_.size()) return Parse::kDamaged;
            if (!ReadHeaderBytes(size)) return Parse::kDamaged;
            extended_bytes += size;
        } else if (!field_fits(header_, record, static_cast<unsigned>(size))) {
            return Parse::kDamaged;
        }
        std::uint8_t type = header_[record];
        std::span<const std::uint8_t> data(header_.data() + record + 1, size - kExtMinimumSize);
        std::string text(reinterpret_cast<const char*>(data.data()), data.size());
        switch (type) {
            case kExtFileName:
                if (text.size() >= kMaxNameBytes) return Parse::kFailed;
                member.name = text;
                break;
            case kExtDirectoryName:
                if (text.size() >= kMaxNameBytes) return Parse::kFailed;
                for (char& c : text)
                    if (static_cast<std::uint8_t>(c) == kDirectorySeparator) c = '\\';
                directory = text;
                break;
            case kExtAttribute:
                if (!data.empty() && (os_id == 0 || os_id == kOsHuman68k || os_id == kOsMsDos))
                    member.attribute = data[0];
                break;
            default:
                break;
        }
        at = record + size - 2;
    }
}

LzhReader::Parse LzhReader::ParseHeader(LzhMemberHeader& member) {
    header_.clear();
    if (!ReadHeaderBytes(header::kCommonSize)) return Parse::kEnd;
    const unsigned level = header_[header::kLevel];
    const std::size_t size = level == 2 ? le16(header_, header::kSize) : header_[header::kSize];
    if (size == 0) return Parse::kEnd;
    if (size >= kMaxHeaderSize || level >= 3) return Parse::kDamaged;
    // A level 0/1 header is followed by two more bytes (for level 1, the first extended size).
    const std::size_t total = level == 2 ? size : size + kSizeFieldsBytes;
    const std::size_t smallest = level == 2 ? header::kLevel2FirstExtendedSize + 2 : header::kName;
    if (total < smallest) return Parse::kDamaged;
    if (!ReadHeaderBytes(total - header::kCommonSize)) return Parse::kDamaged;

    member.directory = std::memcmp(header_.data() + header::kMethod, "-lhd-", header::kMethodSize) == 0;
    member.packed_size = le32(header_, header::kPackedSize);
    member.original_size = le32(header_, header::kOriginalSize);
    std::uint32_t stamp = le32(header_, header::kTime);
    member.mod_time = level == 2 ? time_from_unix(stamp) : time_from_packed(stamp);
    member.header_bytes = total;

    std::uint8_t os_id = 0;
    std::string directory;
    if (level < 2) {
        unsigned sum = 0;
        for (std::size_t i = header::kMethod; i < header::kMethod + size; ++i) sum += header_[i];
        if ((sum & 0xFF) != header_[header::kChecksum]) return Parse::kDamaged;
        const std::size_t name_length = header_[header::kNameLength];
        if (name_length > total - header::kName) return Parse::kDamaged;
        member.name.assign(reinterpret_cast<const char*>(header_.data() + header::kName), name_length);
        const std::size_t after_name = header::kName + name_length;
        // What the header size counts besides the name: the fixed fields and what follows the name.
        const std::size_t rest = size - name_length;
        if (level == 0) {
            if (rest >= kLevel0WithCrc) {
                member.has_crc = true;
                member.crc = le16(header_, after_name);
                if (rest >= kLevel0WithOsId) {
                    os_id = header_[after_name + 2];
                    // A Unix extension too short for its fields does not count as one.
                    if (os_id == kOsUnix && rest - kLevel0WithOsId < kLevel0UnixExtensionBytes) os_id = 0;
                }
            } else if (rest != kLevel0NoCrc) {
                return Parse::kDamaged;
            }
        } else {
            if (rest < kLevel1Plain) return Parse::kDamaged;
            member.has_crc = true;
            member.crc = le16(header_, after_name);
            os_id = header_[after_name + 2];
            std::uint64_t extended_bytes = 0;
            Parse walked = ReadExtendedHeaders(total - 2, true, os_id, member, directory, extended_bytes);
            if (walked != Parse::kOk) return walked;
            // The extended headers are counted in the packed size; they belong to the header.
            if (extended_bytes > member.packed_size) return Parse::kDamaged;
            member.packed_size -= extended_bytes;
            member.header_bytes += extended_bytes;
        }
    } else {
        member.has_crc = true;
        member.crc = le16(header_, header::kLevel2Crc);
        os_id = header_[header::kLevel2OsId];
        std::uint64_t unused = 0;
        Parse walked = ReadExtendedHeaders(header::kLevel2FirstExtendedSize, false, os_id, member, directory, unused);
        if (walked != Parse::kOk) return walked;
    }
    if (level != 2) member.attribute = header_[header::kAttribute];
    // (A level 2 header keeps the attribute of its attribute extension, or 0.)

    if (!directory.empty()) {
        if (!member.name.empty() && directory.back() != '\\') directory += '\\';
        if (directory.size() + member.name.size() >= kMaxNameBytes) return Parse::kFailed;
        member.name = directory + member.name;
    }
    std::replace(member.name.begin(), member.name.end(), '/', '\\');
    return Parse::kOk;
}

int LzhReader::ReadItem(ItemHeader& item) {
    if (!file_) return kNoMoreItems;
    if (file_size_ < next_header_) return kItemBadHeader;
    if (!file_->Seek(static_cast<std::int64_t>(next_header_))) return kNoMoreItems;

    LzhMemberHeader member;
    Parse parsed = ParseHeader(member);
    if (parsed == Parse::kDamaged) report_damaged_archive(archive_name_);
    if (parsed != Parse::kOk) return kNoMoreItems;
    next_header_ += member.header_bytes + member.packed_size;

    // Names are stored in the OEM code page.
    ansi_to_wide(oem_to_ansi(member.name), item.Name, kItemNameCapacity);
    if (member.directory) {
        item.IsDirectory = true;
        item.Attributes = kAttrDirectory;
        if (item.Name.size() > 1 && item.Name.back() == u'\\') item.Name.pop_back();
    } else {
        item.Attributes = member.attribute & 0x2F;
    }
    item.PackedSize = member.packed_size;
    item.UnpackedSize = member.original_size;
    if (member.has_crc) {
        item.HashKind = kHashChecksum16;
        item.HashValue[0] = static_cast<std::uint8_t>(member.crc);
        item.HashValue[1] = static_cast<std::uint8_t>(member.crc >> 8);
    }
    item.DictSizeKB = kDictSizeKB;
    item.ModTime = member.mod_time;
    return kItemRead;
}

}  // namespace kub

#include "formats/zip/zip_entry.h"

#include <algorithm>
#include <array>
#include <string>

#include "common/text/char_class.h"
#include "common/time/common_time.h"
#include "common/checksum/crc32.h"
#include "common/text/encoding.h"
#include "formats/byte_reader.h"
#include "formats/zip/zip_format.h"

namespace kub::zip {

namespace {

constexpr std::array<std::u16string_view, 18> kHostSystems = {
    u"DOS",     u"Amiga",    u"VAX/VMS",    u"Unix",  u"VM/CMS",        u"Atari ST",
    u"OS/2",    u"Mac-OS",   u"Z-System",   u"CP/M",  u"TOPS-20",       u"Windows",
    u"SMS/QDOS", u"Acorn RISC OS", u"Windows VFAT", u"MVS", u"BeOS", u"Tandem"};

// The header fields both kinds share, at their kind's offsets.
struct Fields {
    unsigned version_made_by = 0;  // low byte
    unsigned host = 0;
    unsigned version_needed = 0;   // low byte
    std::uint16_t flags = 0;
    std::uint32_t dos_time = 0;
    std::uint32_t crc = 0;
    std::uint32_t packed = 0;
    std::uint32_t unpacked = 0;
    std::size_t name_length = 0;
    std::size_t extra_length = 0;
    std::size_t comment_length = 0;
    std::uint32_t external_attributes = 0;
};

Fields read_fields(HeaderKind kind, std::span<const std::uint8_t> h) {
    Fields f;
    if (kind == HeaderKind::kCentral) {
        f.version_made_by = h.size() > central::kVersionMadeBy ? h[central::kVersionMadeBy] : 0;
        f.host = h.size() > central::kHostSystem ? h[central::kHostSystem] : 0;
        f.version_needed = le16(h, central::kVersionNeeded) & 0xFF;
        f.flags = le16(h, central::kFlags);
        f.dos_time = le32(h, central::kDosTime);
        f.crc = le32(h, central::kCrc32);
        f.packed = le32(h, central::kCompressedSize);
        f.unpacked = le32(h, central::kUncompressedSize);
        f.name_length = le16(h, central::kNameLength);
        f.extra_length = le16(h, central::kExtraLength);
        f.comment_length = le16(h, central::kCommentLength);
        f.external_attributes = le32(h, central::kExternalAttributes);
    } else {
        f.version_needed = le16(h, local::kVersionNeeded) & 0xFF;
        f.flags = le16(h, local::kFlags);
        f.dos_time = le32(h, local::kDosTime);
        f.crc = le32(h, local::kCrc32);
        f.packed = le32(h, local::kCompressedSize);
        f.unpacked = le32(h, local::kUncompressedSize);
        f.name_length = le16(h, local::kNameLength);
        f.extra_length = le16(h, local::kExtraLength);
    }
    return f;
}

std::string_view as_chars(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::span<const std::uint8_t> up_to_zero(std::span<const std::uint8_t> bytes) {
    auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes.first(static_cast<std::size_t>(end - bytes.begin()));
}

// The name as the extra field may replace it: its bytes, and whether they are UTF-8.
struct NameBytes {
    std::span<const std::uint8_t> bytes;
    bool utf8 = false;
};

// Extra field blocks: id (2), size (2), data. A declared size larger than what is left is cut to
// what is left, and ends the walk.
void walk_extra(std::span<const std::uint8_t> extra, std::span<const std::uint8_t> stored_name,
                ItemHeader& item, EntryFacts& facts, NameBytes& name) {
    std::size_t pos = 0;
    while (extra.size() - pos > 3) {
        std::uint16_t id = le16(extra, pos);
        std::size_t declared = le16(extra, pos + 2);
        std::size_t usable = std::min(declared, extra.size() - pos - 4);
        std::span<const std::uint8_t> block = extra.subspan(pos + 4, usable);
        if (id == kExtraZip64) {
            // Only the fields whose 32-bit header values are saturated are present, in order.
            ByteReader r(block);
            if (item.UnpackedSize == kZip64Marker32 && r.remaining() >= 8) item.UnpackedSize = r.u64();
            if (item.PackedSize == kZip64Marker32 && r.remaining() >= 8) item.PackedSize = r.u64();
            facts.zip64 = true;
        } else if (id == kExtraUnicodePath) {
            // version (1), crc32 of the header's own name (4), UTF-8 name. A name edited by a tool
            // that did not know this block no longer matches its CRC and keeps the header name.
            if (block.size() >= 6 && block[0] == 1) {
                std::span<const std::uint8_t> plain = up_to_zero(stored_name);
                if (le32(block, 1) == crc32(plain.data(), plain.size())) {
                    std::span<const std::uint8_t> text = block.subspan(5);
                    name.bytes = text.first(std::min(text.size(), kMaxNameBytes));
                    name.utf8 = true;
                }
            }
        } else if (id == kExtraNtfs) {
            // reserved (4), then attributes: tag (2), size (2); tag 1 holds mtime, atime, ctime.
            if (block.size() > 31 && le16(block, 4) == 1 && le16(block, 6) == 24)
                item.ModTime = le64(block, 8);
        }
        if (declared > extra.size() - pos - 4) break;
        pos += 4 + declared;
    }
}

std::u16string decode_name(std::span<const std::uint8_t> bytes, bool utf8, const Fields& f) {
    std::u16string out;
    if (utf8) {
        utf8_to_wide(as_chars(bytes), out, kItemNameCapacity);
        return out;
    }
    // Unix and Windows tools of format version 2.1 to 2.7 store names in the ANSI code page;
    // everything else in the OEM code page of DOS.
    bool ansi = f.version_made_by >= 21 && f.version_made_by <= 27 &&
                (f.host == kHostUnix || f.host == kHostTops20 || f.host == kHostWindows);
    if (ansi)
        ansi_to_wide(as_chars(bytes), out, kItemNameCapacity);
    else
        ansi_to_wide(oem_to_ansi(as_chars(bytes)), out, kItemNameCapacity);
    return out;
}

}  // namespace

std::size_t fixed_size(HeaderKind kind) { return kind == HeaderKind::kCentral ? central::kSize : local::kSize; }

std::size_t variable_size(HeaderKind kind, std::span<const std::uint8_t> fixed) {
    Fields f = read_fields(kind, fixed);
    return f.name_length + f.extra_length + f.comment_length;
}

std::u16string_view host_system_name(unsigned host) {
    return host < kHostSystems.size() ? kHostSystems[host] : std::u16string_view{};
}

void decode_entry(HeaderKind kind, std::span<const std::uint8_t> fixed,
                  std::span<const std::uint8_t> variable, ItemHeader& item, EntryFacts& facts) {
    Fields f = read_fields(kind, fixed);
    std::size_t name_length = std::min(f.name_length, variable.size());
    std::span<const std::uint8_t> stored_name = variable.first(name_length);
    std::span<const std::uint8_t> extra =
        variable.subspan(name_length, std::min(f.extra_length, variable.size() - name_length));

    NameBytes name{stored_name.first(std::min(name_length, kMaxNameBytes)), false};
    std::u16string scratch;
    name.utf8 = (f.flags & kFlagUtf8) != 0 ||
                (f.host == kHostUnix && !is_plain_text(as_chars(up_to_zero(name.bytes))) &&
                 utf8_to_wide(as_chars(name.bytes), scratch));

    item.ModTime = time_from_packed(f.dos_time);
    item.UnpackedSize = f.unpacked;
    item.PackedSize = f.packed;
    walk_extra(extra, stored_name, item, facts, name);

    item.HashKind = kHashCrc32;
    for (int i = 0; i < 4; ++i) item.HashValue[i] = static_cast<std::uint8_t>(f.crc >> (8 * i));
    item.IsEncrypted = (f.flags & kFlagEncrypted) != 0;
    item.HasItemComment = f.comment_length != 0;
    item.HostOS = host_system_name(f.host);
    item.Name = decode_name(name.bytes, name.utf8, f);
    cut_to_capacity(item.Name, kItemNameCapacity);

    bool directory = false;
    if (!item.Name.empty() && (item.Name.back() == u'/' || item.Name.back() == u'\\')) {
        item.Name.pop_back();
        directory = true;
    }
    std::replace(item.Name.begin(), item.Name.end(), u'/', u'\\');

    // DOS, OS/2 and TOPS-20 entries carry DOS attributes; the others get them from the name.
    if (f.host == kHostDos || f.host == kHostOs2 || f.host == kHostTops20) {
        item.Attributes = f.external_attributes & 0x7F;
        // A name ending in a separator is a directory whatever its attributes say, and the file
        // count must not take it for a file.
        if (directory) item.Attributes |= kAttrDirectory;
    } else {
        item.Attributes = directory ? kAttrDirectory : kAttrArchive;
    }
    if (!directory && (item.Attributes & kAttrDirectory) != 0) {
        if (item.UnpackedSize == 0)
            directory = true;
        else
            item.Attributes &= ~kAttrDirectory;
    }
    item.IsDirectory = directory;
    item.UnpackVersion = (f.version_needed / 10) * 256 + f.version_needed % 10;
    item.DictSizeKB = 32;
}

}  // namespace kub::zip

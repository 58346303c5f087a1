#include "tests/support/writers/kub_writer.h"

#include <algorithm>
#include <fstream>

#include "common/checksum/crc32.h"
#include "common/checksum/sha256.h"

namespace kub::test {

namespace {

constexpr std::uint8_t kGen1Marker[4] = {'K', 'E', '~', '^'};

Bytes filler(std::uint64_t size) {
    Bytes data(static_cast<std::size_t>(size));
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(0x30 + i % 61);
    return data;
}

// Generation-3 framing, shared by headers and quick-open records: CRC32, then the size as a vint,
// then the bytes; the CRC covers the size field and the bytes.
Bytes with_size_and_crc(const Bytes& after_size) {
    Bytes covered = vint(after_size.size());
    append(covered, after_size);
    Bytes out;
    put_le(out, crc32(covered.data(), covered.size()), 4);
    append(out, covered);
    return out;
}

void put_checksum16(Bytes& block, std::size_t end) {
    std::uint32_t crc = crc32(block.data() + 2, end - 2);
    block[0] = static_cast<std::uint8_t>(crc);
    block[1] = static_cast<std::uint8_t>(crc >> 8);
}

}  // namespace

void append(Bytes& out, std::span<const std::uint8_t> more) { out.insert(out.end(), more.begin(), more.end()); }

void put_le(Bytes& out, std::uint64_t value, unsigned width) {
    for (unsigned i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

Bytes vint(std::uint64_t value) {
    Bytes out;
    do {
        std::uint8_t b = value & 0x7F;
        value >>= 7;
        out.push_back(static_cast<std::uint8_t>(b | (value ? 0x80 : 0)));
    } while (value);
    return out;
}

Bytes text_bytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes sfx_stub(std::size_t size, bool ksfx_tag) {
    Bytes stub(size);
    // "MZ" and then bytes that never form a signature (no 'K').
    for (std::size_t i = 0; i < size; ++i) stub[i] = static_cast<std::uint8_t>(0x80 | (i * 7 % 0x70));
    if (size >= 2) stub[0] = 'M', stub[1] = 'Z';
    if (ksfx_tag && size >= 32) std::copy_n("KSFX", 4, stub.begin() + 28);
    return stub;
}

// ---- Generation 1 ----

Bytes gen1_main_header(std::uint8_t flags, std::span<const std::uint8_t> comment) {
    Bytes h(kGen1Marker, kGen1Marker + 4);
    put_le(h, 7 + comment.size(), 2);
    h.push_back(flags);
    append(h, comment);
    return h;
}

Bytes gen1_item(const Gen1Item& item) {
    Bytes h;
    put_le(h, item.packed_size, 4);
    put_le(h, item.unpacked_size, 4);
    put_le(h, item.checksum, 2);
    put_le(h, item.header_size.value_or(static_cast<std::uint16_t>(21 + item.name.size())), 2);
    put_le(h, item.dos_time, 4);
    h.push_back(item.attributes);
    h.push_back(item.flags);
    h.push_back(item.version);
    h.push_back(static_cast<std::uint8_t>(item.name.size()));
    h.push_back('0');  // method
    append(h, text_bytes(item.name));
    append(h, filler(item.packed_size));
    return h;
}

// ---- Generation 2 ----

Bytes gen2_block(std::uint8_t type, std::uint16_t flags, std::span<const std::uint8_t> body,
                 std::size_t checksum_end) {
    Bytes b(2, 0);
    b.push_back(type);
    put_le(b, flags, 2);
    put_le(b, 7 + body.size(), 2);
    append(b, body);
    put_checksum16(b, checksum_end ? std::min(checksum_end, b.size()) : b.size());
    return b;
}

Bytes gen2_main(std::uint16_t flags, std::span<const std::uint8_t> embedded_comment) {
    Bytes body;
    put_le(body, 0, 2);
    put_le(body, 0, 4);
    append(body, embedded_comment);
    // A main block that embeds its comment is checked over the part before the comment.
    return gen2_block(0x73, flags, body, (flags & 0x0002) ? 13 : 0);
}

Bytes gen2_end(std::uint16_t flags, std::optional<std::uint16_t> volume_number) {
    Bytes body;
    if (flags & 0x0002) put_le(body, 0x12345678, 4);
    if (volume_number) {
        flags |= 0x0008;
        put_le(body, *volume_number, 2);
    }
    return gen2_block(0x7B, flags, body);
}

Bytes gen2_extended_times(const std::array<Gen2Time, 4>& times) {
    std::uint16_t flags = 0;
    Bytes rest;
    for (unsigned i = 0; i < 4; ++i) {
        const Gen2Time& t = times[i];
        if (!t.present) continue;
        unsigned group = 0x8 | (t.plus_second ? 0x4 : 0) | (t.stored_bytes & 3);
        flags = static_cast<std::uint16_t>(flags | (group << ((3 - i) * 4)));
        if (i != 0) put_le(rest, t.dos_time, 4);
        unsigned n = t.stored_bytes & 3;
        for (unsigned j = 0; j < n; ++j) rest.push_back(static_cast<std::uint8_t>(t.fraction >> (8 * (j + 3 - n))));
    }
    Bytes out;
    put_le(out, flags, 2);
    append(out, rest);
    return out;
}

Bytes encode_wide_name(std::string_view oem, std::u16string_view wide) {
    // The common high byte: that of the first character outside Latin-1, else 0.
    unsigned high = 0;
    for (char16_t c : wide) {
        if (c > 0xFF) {
            high = c >> 8;
            break;
        }
    }
    auto oem_at = [&](std::size_t i) -> unsigned {
        return i < oem.size() ? static_cast<unsigned char>(oem[i]) : 0;
    };
    std::vector<unsigned> codes;
    std::vector<Bytes> payloads;
    for (std::size_t i = 0; i < wide.size();) {
        // Copies of the OEM bytes.
        std::size_t copy = 0;
        while (i + copy < wide.size() && i + copy < oem.size() && copy < 129 &&
               wide[i + copy] == oem_at(i + copy)) {
            ++copy;
        }
        if (copy >= 2) {
            codes.push_back(3);
            payloads.push_back({static_cast<std::uint8_t>(copy - 2)});
            i += copy;
            continue;
        }
        // Characters of the high byte at a constant distance from the OEM bytes.
        if (high != 0 && (wide[i] >> 8) == high && i < oem.size()) {
            unsigned correction = (wide[i] - oem_at(i)) & 0xFF;
            std::size_t run = 0;
            while (i + run < wide.size() && i + run < oem.size() && run < 129 &&
                   (wide[i + run] >> 8) == high && ((wide[i + run] - oem_at(i + run)) & 0xFF) == correction) {
                ++run;
            }
            if (run >= 2) {
                codes.push_back(3);
                payloads.push_back({static_cast<std::uint8_t>(0x80 | (run - 2)),
                                    static_cast<std::uint8_t>(correction)});
                i += run;
                continue;
            }
        }
        char16_t c = wide[i++];
        if (high != 0 && (c >> 8) == high) {
            codes.push_back(1);
            payloads.push_back({static_cast<std::uint8_t>(c)});
        } else if (c <= 0xFF) {
            codes.push_back(0);
            payloads.push_back({static_cast<std::uint8_t>(c)});
        } else {
            codes.push_back(2);
            payloads.push_back({static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8)});
        }
    }
    Bytes out{static_cast<std::uint8_t>(high)};
    for (std::size_t g = 0; g < codes.size(); g += 4) {
        unsigned flags = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            unsigned code = g + k < codes.size() ? codes[g + k] : 0;
            flags |= code << (6 - 2 * k);
        }
        out.push_back(static_cast<std::uint8_t>(flags));
        for (std::size_t k = g; k < std::min(codes.size(), g + 4); ++k) append(out, payloads[k]);
    }
    return out;
}

Bytes gen2_item(const Gen2Item& item) {
    std::uint16_t flags = item.flags;
    Bytes name = text_bytes(item.name);
    if (!item.wide_name.empty()) {
        flags |= 0x0200;
        name.push_back(0);
        append(name, encode_wide_name(item.name, item.wide_name));
    }
    if (item.large_sizes) flags |= 0x0100;
    if (item.salt) flags |= 0x0400;
    if (!item.extended_times.empty()) flags |= 0x1000;
    if (item.partial_checksum) flags |= 0x0008;
    flags |= 0x8000;

    Bytes body;
    put_le(body, item.packed_size & 0xFFFFFFFF, 4);
    put_le(body, item.unpacked_size & 0xFFFFFFFF, 4);
    body.push_back(item.host);
    put_le(body, item.crc, 4);
    put_le(body, item.dos_time, 4);
    body.push_back(item.version);
    body.push_back('3');
    put_le(body, name.size(), 2);
    put_le(body, item.attributes, 4);
    if (item.large_sizes) {
        put_le(body, item.packed_size >> 32, 4);
        put_le(body, item.unpacked_size >> 32, 4);
    }
    append(body, name);
    if (item.salt) append(body, Bytes{1, 2, 3, 4, 5, 6, 7, 8});
    append(body, item.service_data);
    append(body, item.extended_times);
    std::size_t fields_end = 7 + body.size();
    append(body, item.trailing);
    Bytes out = gen2_block(item.type, flags, body, item.partial_checksum ? fields_end : 0);
    if (item.write_data) append(out, filler(item.packed_size));
    return out;
}

Gen2Item gen2_recovery_service(std::uint32_t sectors) {
    Gen2Item rr;
    rr.type = 0x7A;
    rr.name = "RR";
    rr.host = 2;
    rr.version = 29;
    put_le(rr.service_data, 0x1234, 4);
    put_le(rr.service_data, 0x5678, 4);
    put_le(rr.service_data, sectors, 4);
    rr.packed_size = 64;
    rr.unpacked_size = 64;
    return rr;
}

// ---- Generation 3 ----

Bytes gen3_header(std::uint64_t type, std::uint64_t flags, std::span<const std::uint8_t> fields,
                  std::span<const std::uint8_t> extra, std::optional<std::uint64_t> data_size) {
    if (!extra.empty()) flags |= 0x0001;
    if (data_size) flags |= 0x0002;
    Bytes after_size = vint(type);
    append(after_size, vint(flags));
    if (!extra.empty()) append(after_size, vint(extra.size()));
    if (data_size) append(after_size, vint(*data_size));
    append(after_size, fields);
    append(after_size, extra);
    return with_size_and_crc(after_size);
}

Bytes gen3_extra_record(std::uint64_t type, std::span<const std::uint8_t> payload) {
    Bytes typed = vint(type);
    append(typed, payload);
    Bytes out = vint(typed.size());
    append(out, typed);
    return out;
}

Bytes gen3_locator(std::uint64_t quick_open_offset, std::uint64_t recovery_offset) {
    std::uint64_t flags = (quick_open_offset ? 0x01 : 0) | (recovery_offset ? 0x02 : 0);
    Bytes p = vint(flags);
    if (quick_open_offset) append(p, vint(quick_open_offset));
    if (recovery_offset) append(p, vint(recovery_offset));
    return gen3_extra_record(1, p);
}

Bytes gen3_main(std::uint64_t archive_flags, std::optional<std::uint64_t> volume_number,
                std::span<const std::uint8_t> extra) {
    if (volume_number) archive_flags |= 0x0002;
    Bytes fields = vint(archive_flags);
    if (volume_number) append(fields, vint(*volume_number));
    return gen3_header(1, 0, fields, extra);
}

Bytes gen3_end(std::uint64_t flags) { return gen3_header(5, 0, vint(flags)); }

// A password check value with its sum (the first 4 bytes of its SHA-256), or a wrong sum.
Bytes password_check(bool sum_matches) {
    Bytes value = filler(8);
    Sha256 sha;
    sha.update(value.data(), value.size());
    Sha256::Digest digest = sha.finish();
    append(value, std::span<const std::uint8_t>(digest.data(), 4));
    if (!sum_matches) value.back() ^= 0xFF;
    return value;
}

Bytes gen3_encryption_header(std::uint64_t version, std::uint8_t parameter, bool check,
                             bool check_sum_matches) {
    Bytes fields = vint(version);
    append(fields, vint(check ? 1 : 0));
    fields.push_back(parameter);
    append(fields, filler(16));  // salt
    if (check) append(fields, password_check(check_sum_matches));
    return gen3_header(4, 0, fields);
}

Bytes gen3_time_record(std::optional<std::uint64_t> modification, bool unix_time) {
    Bytes p = vint((unix_time ? 0x1 : 0) | (modification ? 0x2 : 0));
    if (modification) put_le(p, *modification, unix_time ? 4 : 8);
    return gen3_extra_record(3, p);
}

Bytes gen3_hash_record(const std::array<std::uint8_t, 32>& digest) {
    Bytes p = vint(0);
    append(p, digest);
    return gen3_extra_record(2, p);
}

Bytes gen3_version_record(std::uint64_t version) {
    Bytes p = vint(0);
    append(p, vint(version));
    return gen3_extra_record(4, p);
}

Bytes gen3_redirection_record(std::uint64_t type, std::string_view target) {
    Bytes p = vint(type);
    append(p, vint(0));
    append(p, vint(target.size()));
    append(p, text_bytes(target));
    return gen3_extra_record(5, p);
}

Bytes gen3_owner_record(std::string_view user, std::string_view group) {
    Bytes p = vint(0x1 | 0x2);
    append(p, vint(user.size()));
    append(p, text_bytes(user));
    append(p, vint(group.size()));
    append(p, text_bytes(group));
    return gen3_extra_record(6, p);
}

Bytes gen3_encryption_record(std::uint64_t version, std::uint8_t parameter, bool check_sum_matches) {
    Bytes p = vint(version);
    append(p, vint(1));
    p.push_back(parameter);
    append(p, filler(16 + 16));  // salt, initialisation vector
    append(p, password_check(check_sum_matches));
    return gen3_extra_record(1, p);
}

Bytes gen3_service_data_record(std::span<const std::uint8_t> data) { return gen3_extra_record(7, data); }

Bytes gen3_item_header(const Gen3Item& item) {
    Bytes fields = vint(item.file_flags);
    append(fields, vint(item.unpacked_size));
    append(fields, vint(item.attributes));
    if (item.file_flags & 0x0002) put_le(fields, item.unix_time, 4);
    if (item.file_flags & 0x0004) put_le(fields, item.crc, 4);
    append(fields, vint(item.compression));
    append(fields, vint(item.host));
    append(fields, vint(item.name.size()));
    append(fields, text_bytes(item.name));
    std::uint64_t data_size = item.data.empty() ? item.packed_size : item.data.size();
    return gen3_header(item.type, item.head_flags, fields, item.extra, data_size);
}

Bytes gen3_item(const Gen3Item& item) {
    Bytes out = gen3_item_header(item);
    append(out, item.data.empty() ? filler(item.packed_size) : item.data);
    return out;
}

Bytes gen3_quick_open_record(std::uint64_t offset, std::span<const std::uint8_t> copy, std::uint64_t flags) {
    Bytes after_size = vint(flags);
    append(after_size, vint(offset));
    append(after_size, vint(copy.size()));
    append(after_size, copy);
    return with_size_and_crc(after_size);
}

// ---- Whole archives ----

Bytes build(const Gen1Archive& archive) {
    Bytes out = archive.sfx;
    append(out, gen1_main_header(archive.main_flags));
    for (const Gen1Item& item : archive.items) append(out, gen1_item(item));
    return out;
}

Bytes build(const Gen2Archive& archive) {
    Bytes out = archive.sfx;
    append(out, kSignatureGen2);
    append(out, gen2_main(archive.main_flags));
    for (const Gen2Item& item : archive.items) append(out, gen2_item(item));
    if (archive.end_block) append(out, gen2_end(archive.end_flags, archive.end_volume_number));
    return out;
}

Bytes build(const Gen3Archive& archive, Gen3Layout* layout) {
    Gen3Layout where;
    Bytes out = archive.sfx;
    append(out, kSignatureGen3);
    where.main = out.size();
    if (archive.encrypted_rest) {
        append(out, gen3_encryption_header(0, 15));
        append(out, *archive.encrypted_rest);
        if (layout) *layout = where;
        return out;
    }
    std::vector<Bytes> headers;
    std::vector<Bytes> items;
    for (const Gen3Item& item : archive.items) {
        headers.push_back(gen3_item_header(item));
        items.push_back(gen3_item(item));
    }
    std::size_t items_size = 0;
    for (const Bytes& b : items) items_size += b.size();

    // The main header names the QO header by its distance, which depends on the main header's
    // own size: settle it by repeating until the size stops changing.
    Bytes main = gen3_main(archive.archive_flags, archive.volume_number);
    Bytes quick_open;
    Bytes records;
    std::vector<std::size_t> record_offsets;
    for (int round = 0; archive.quick_open && round < 8; ++round) {
        std::uint64_t qo_offset = main.size() + items_size;
        records.clear();
        record_offsets.clear();
        std::uint64_t at = main.size();
        for (std::size_t i = 0; i < items.size(); ++i) {
            record_offsets.push_back(records.size());
            append(records, gen3_quick_open_record(qo_offset - at, headers[i]));
            at += items[i].size();
        }
        Gen3Item qo;
        qo.type = 3;
        qo.name = "QO";
        qo.file_flags = 0;
        qo.data = records;
        quick_open = gen3_item(qo);
        Bytes next = gen3_main(archive.archive_flags, archive.volume_number, gen3_locator(qo_offset));
        bool settled = next.size() == main.size();
        main = next;
        if (settled) break;
    }
    append(out, main);
    for (const Bytes& b : items) {
        where.items.push_back(out.size());
        append(out, b);
    }
    if (!quick_open.empty()) {
        where.quick_open = out.size();
        where.quick_open_data = out.size() + quick_open.size() - records.size();
        where.quick_open_size = records.size();
        for (std::size_t r : record_offsets) where.records.push_back(where.quick_open_data + r);
    }
    append(out, quick_open);
    if (archive.end_header) append(out, gen3_end(archive.end_flags));
    if (layout) *layout = where;
    return out;
}

// ---- Samples ----

namespace {

Gen2Item gen2_file(std::string name, std::uint64_t size, std::uint16_t flags = 0) {
    Gen2Item f;
    f.name = std::move(name);
    f.packed_size = size;
    f.unpacked_size = size * 2;
    f.crc = 0xCAFEBABE;
    f.dos_time = 0x5A8C6B2F;
    f.flags = static_cast<std::uint16_t>(flags | (2 << 5));
    return f;
}

Gen3Item gen3_file(std::string name, std::uint64_t size) {
    Gen3Item f;
    f.name = std::move(name);
    f.packed_size = size;
    f.unpacked_size = size * 3;
    f.file_flags = 0x0002 | 0x0004;
    f.unix_time = 1700000000;
    f.crc = 0x11223344;
    f.compression = 3u << 10;
    return f;
}

}  // namespace

std::vector<NamedArchive> kub_sample_archives() {
    std::vector<NamedArchive> out;

    Gen1Archive g1;
    g1.main_flags = 0x08;
    g1.items.push_back({"README.TXT", 40, 90, 0x1234, 0x21A46B2F, 0x20, 0, 2, {}});
    g1.items.push_back({"DOCS", 0, 0, 0, 0x21A46B2F, 0x10, 0, 0, {}});
    g1.items.push_back({"DOCS\\A.DOC", 25, 25, 0x4321, 0x21A46B2F, 0x20, 0x04, 0, {}});
    out.push_back({"oldest.kub", build(g1)});
    g1.sfx = sfx_stub(3000, true);
    out.push_back({"oldest_sfx.exe", build(g1)});

    Gen2Archive g2;
    g2.main_flags = 0x0008 | 0x0040;
    Gen2Item cmt = gen2_file("CMT", 12);
    cmt.type = 0x7A;
    g2.items.push_back(cmt);
    g2.items.push_back(gen2_file("readme.txt", 100, 0x0010));
    Gen2Item dir = gen2_file("docs", 0, 0x00E0);
    dir.attributes = 0x10;
    g2.items.push_back(dir);
    Gen2Item wide = gen2_file("docs\\?.txt", 10);
    wide.wide_name = u"docs\\\u6587\u4ef6.txt";
    g2.items.push_back(wide);
    Gen2Item timed = gen2_file("timed.bin", 30);
    timed.extended_times = gen2_extended_times({Gen2Time{true, 0, true, 0x123456, 3},
                                                Gen2Time{true, 0x5A8C6B2F, false, 0x10, 1},
                                                Gen2Time{}, Gen2Time{true, 0x5A8C6B2F, false, 0, 0}});
    timed.salt = true;
    timed.flags |= 0x0004;
    g2.items.push_back(timed);
    Gen2Item big = gen2_file("big.iso", 8);
    big.large_sizes = true;
    big.unpacked_size = 0x123456789ull;
    g2.items.push_back(big);
    Gen2Item unix_link = gen2_file("link", 6);
    unix_link.host = 3;
    unix_link.attributes = 0xA1FF;
    g2.items.push_back(unix_link);
    g2.items.push_back(gen2_recovery_service(40));
    out.push_back({"block.kub", build(g2)});
    g2.sfx = sfx_stub(70000);
    out.push_back({"block_sfx.exe", build(g2)});

    // Old blocks between the main block and the files.
    Bytes old = Bytes(kSignatureGen2, kSignatureGen2 + 7);
    append(old, gen2_main(0x0002 | 0x0040, text_bytes("embedded comment bytes")));
    append(old, gen2_block(0x75, 0, text_bytes("abcdefghijkl")));
    append(old, gen2_block(0x76, 0, Bytes{1, 2, 3, 4, 5, 6, 7}));
    Bytes data_block;
    put_le(data_block, 5, 4);
    put_le(data_block, 0x101, 2);
    data_block.push_back(1);
    append(old, gen2_block(0x77, 0x8000, data_block));
    append(old, filler(5));
    Bytes recovery_block;
    put_le(recovery_block, 16, 4);
    recovery_block.push_back(1);
    put_le(recovery_block, 3, 2);
    put_le(recovery_block, 0, 4);
    append(recovery_block, filler(8));
    append(old, gen2_block(0x78, 0x8000, recovery_block));
    append(old, filler(16));
    append(old, gen2_block(0x79, 0, Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
    Bytes unknown;
    put_le(unknown, 3, 4);
    append(old, gen2_block(0x7C, 0x8000, unknown));
    append(old, filler(3));
    append(old, gen2_item(gen2_file("after.txt", 4)));
    append(old, gen2_end(0x0004));
    append(old, Bytes(7, 0));
    out.push_back({"old_blocks.kub", old});

    // A three-volume set with the new naming.
    for (int v = 0; v < 3; ++v) {
        Gen2Archive vol;
        vol.main_flags = 0x0001 | 0x0010 | (v == 0 ? 0x0100 : 0);
        Gen2Item piece = gen2_file("movie.avi", 50, (v > 0 ? 0x0001 : 0) | (v < 2 ? 0x0002 : 0));
        vol.items.push_back(piece);
        if (v == 2) vol.items.push_back(gen2_file("notes.txt", 9));
        vol.end_flags = v < 2 ? 0x0001 : 0;
        vol.end_volume_number = static_cast<std::uint16_t>(v);
        out.push_back({"set.part" + std::to_string(v + 1) + ".kub", build(vol)});
    }

    Gen2Archive hidden;
    hidden.main_flags = 0x0080;
    hidden.end_block = false;
    Bytes b = build(hidden);
    append(b, filler(96));
    out.push_back({"hidden_block.kub", b});

    g2.sfx.clear();
    Bytes damaged = build(g2);
    damaged[7 + 13 + 3 + 20] ^= 0x01;  // a byte inside the first service header
    out.push_back({"damaged_checksum.kub", damaged});

    Gen3Archive g3;
    g3.archive_flags = 0x0004 | 0x0008 | 0x0010;
    Gen3Item cmt3;
    cmt3.type = 3;
    cmt3.name = "CMT";
    cmt3.file_flags = 0;
    cmt3.packed_size = 20;
    g3.items.push_back(cmt3);
    Gen3Item f1 = gen3_file("src/main.c", 120);
    f1.extra = gen3_time_record(133444736000000000ull);
    append(f1.extra, gen3_hash_record({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19,
                                       20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32}));
    g3.items.push_back(f1);
    Gen3Item d3 = gen3_file("src", 0);
    d3.file_flags = 0x0001 | 0x0002;
    d3.attributes = 0x10;
    g3.items.push_back(d3);
    Gen3Item v3 = gen3_file("notes\\odd:name.txt", 10);
    v3.extra = gen3_version_record(3);
    append(v3.extra, gen3_owner_record("user", "group"));
    v3.host = 1;
    v3.attributes = 0x81A4;
    g3.items.push_back(v3);
    Gen3Item l3 = gen3_file("lnk", 0);
    l3.extra = gen3_redirection_record(1, "target/file");
    g3.items.push_back(l3);
    Gen3Item e3 = gen3_file("secret.bin", 64);
    e3.extra = gen3_encryption_record(0, 15);
    e3.compression |= 0x40;
    g3.items.push_back(e3);
    Gen3Item u3 = gen3_file("stream.dat", 5);
    u3.file_flags |= 0x0008;
    append(u3.extra, gen3_service_data_record(text_bytes("xyz")));
    g3.items.push_back(u3);
    out.push_back({"five.kub", build(g3)});
    g3.quick_open = true;
    out.push_back({"five_quick_open.kub", build(g3)});
    g3.sfx = sfx_stub(30000);
    out.push_back({"five_sfx.exe", build(g3)});

    for (int v = 0; v < 3; ++v) {
        Gen3Archive vol;
        vol.archive_flags = 0x0001;
        if (v > 0) vol.volume_number = v;
        Gen3Item piece = gen3_file("disk.img", 40);
        piece.head_flags = (v > 0 ? 0x0008 : 0) | (v < 2 ? 0x0010 : 0);
        vol.items.push_back(piece);
        vol.end_flags = v < 2 ? 1 : 0;
        out.push_back({"five.part" + std::to_string(v + 1) + ".kub", build(vol)});
    }

    Gen3Archive locked;
    locked.encrypted_rest = filler(80);
    out.push_back({"five_hidden.kub", build(locked)});
    return out;
}

bool write_kub_samples(const std::string& folder) {
    for (const NamedArchive& a : kub_sample_archives()) {
        std::ofstream f(folder + "/" + a.file_name, std::ios::binary);
        f.write(reinterpret_cast<const char*>(a.bytes.data()), static_cast<std::streamsize>(a.bytes.size()));
        if (!f) return false;
    }
    return true;
}

}  // namespace kub::test

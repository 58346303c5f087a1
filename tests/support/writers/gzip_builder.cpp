#include "tests/support/writers/gzip_builder.h"

#include <algorithm>

#include "common/checksum/crc32.h"

namespace kub::test {

namespace {

void put_le(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

}  // namespace

std::string gzip_member(const GzipMember& m) {
    std::string out;
    std::uint8_t flags = m.extra_flags;
    if (m.header_crc) flags |= 0x02;
    if (m.extra) flags |= 0x04;
    if (m.name) flags |= 0x08;
    if (m.comment) flags |= 0x10;
    out += "\x1f\x8b\x08";                     // ID1 ID2 CM=deflate
    out.push_back(static_cast<char>(flags));   // FLG
    put_le(out, m.mtime, 4);                   // MTIME
    out.push_back('\0');                       // XFL
    out.push_back(static_cast<char>(m.os));    // OS
    if (m.extra) {
        put_le(out, static_cast<std::uint32_t>(m.extra->size()), 2);  // XLEN
        out += *m.extra;
    }
    if (m.name) out += *m.name + '\0';
    if (m.comment) out += *m.comment + '\0';
    if (m.header_crc) put_le(out, crc32(out.data(), out.size()) & 0xFFFF, 2);

    // Stored blocks: BFINAL/BTYPE=00 in one byte, then LEN and NLEN.
    std::size_t at = 0;
    do {
        std::size_t n = std::min(m.block_size, m.data.size() - at);
        bool last = at + n == m.data.size();
        out.push_back(last ? '\x01' : '\x00');
        put_le(out, static_cast<std::uint32_t>(n), 2);
        put_le(out, static_cast<std::uint32_t>(~n & 0xFFFF), 2);
        out.append(m.data, at, n);
        at += n;
    } while (at < m.data.size());

    std::uint32_t crc = crc32(m.data.data(), m.data.size());
    put_le(out, m.damage_crc ? ~crc : crc, 4);
    put_le(out, static_cast<std::uint32_t>(m.data.size()), 4);  // ISIZE
    return out;
}

}  // namespace kub::test

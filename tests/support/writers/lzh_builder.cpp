#include "tests/support/writers/lzh_builder.h"

#include "tests/support/writers/zip_builder.h"  // the little-endian field writers

namespace kub::test {

namespace {

// The extended headers after their first size field: type, data, next size.
std::string extended_headers(const std::vector<std::pair<std::uint8_t, std::string>>& list) {
    std::string out;
    for (std::size_t i = 0; i < list.size(); ++i) {
        out += static_cast<char>(list[i].first);
        out += list[i].second;
        put16(out, i + 1 < list.size() ? static_cast<std::uint32_t>(3 + list[i + 1].second.size()) : 0);
    }
    return out;
}

std::uint32_t first_size(const std::vector<std::pair<std::uint8_t, std::string>>& list) {
    return list.empty() ? 0 : static_cast<std::uint32_t>(3 + list[0].second.size());
}

}  // namespace

std::string lzh_member(const LzhMember& m) {
    const std::string ext = extended_headers(m.extended);
    const std::uint32_t original = m.original_size ? m.original_size : static_cast<std::uint32_t>(m.data.size());
    std::uint32_t packed = static_cast<std::uint32_t>(m.data.size());
    if (m.level == 1) packed += static_cast<std::uint32_t>(ext.size());

    std::string h;                              // from offset 2 on
    h += m.method;                              // method id
    put32(h, packed);                           // packed size
    put32(h, original);                         // original size
    put32(h, m.time);                           // time
    h += static_cast<char>(m.level == 2 ? 0x20 : m.attribute);  // attribute (level 2: reserved)
    h += static_cast<char>(m.level);            // level
    if (m.level < 2) {
        h += static_cast<char>(m.name.size());  // name length
        h += m.name;                            // name
        if (m.level == 1 || m.level0_crc) {
            put16(h, m.crc);                    // CRC-16 of the data
            h += static_cast<char>(m.os_id);    // OS id
            if (m.level == 0) h += m.level0_extension;
        }
        if (m.level == 1) put16(h, first_size(m.extended));  // first extended size
        std::string out;
        out += static_cast<char>(h.size());     // header size
        unsigned sum = 0;
        for (unsigned char c : h) sum += c;
        out += static_cast<char>(m.checksum ? *m.checksum : sum & 0xFF);  // checksum
        out += h;
        if (m.level == 1) out += ext;
        return out + m.data;
    }
    put16(h, m.crc);                            // CRC-16
    h += static_cast<char>(m.os_id);            // OS id
    put16(h, first_size(m.extended));           // first extended size
    h += ext;
    std::string out;
    put16(out, m.level2_size ? *m.level2_size : static_cast<std::uint32_t>(h.size() + 2));  // total size
    return out + h + m.data;
}

}  // namespace kub::test

#include "tests/support/writers/tar_builder.h"

#include <cstdio>

namespace kub::test {

namespace {

void put_text(std::string& block, std::size_t offset, std::size_t size, const std::string& text) {
    block.replace(offset, std::min(size, text.size()), text.substr(0, size));
}

void put_octal(std::string& block, std::size_t offset, std::size_t size, std::uint64_t value) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%0*llo", static_cast<int>(size - 1), static_cast<unsigned long long>(value));
    put_text(block, offset, size - 1, digits);
}

}  // namespace

std::string tar_header(const TarHeader& h) {
    std::string block(512, '\0');
    put_text(block, 0, 100, h.name);            // name
    put_text(block, 100, 8, h.mode);            // mode
    put_octal(block, 108, 8, 0);                // uid
    put_octal(block, 116, 8, 0);                // gid
    if (h.base256_size) {                       // size
        block[124] = static_cast<char>(0x80);
        for (int i = 0; i < 11; ++i)
            block[135 - i] = static_cast<char>(i < 8 ? (h.size >> (8 * i)) & 0xFF : 0);
    } else {
        put_octal(block, 124, 12, h.size);
    }
    put_octal(block, 136, 12, h.mtime);         // mtime
    block[156] = h.type;                        // typeflag
    if (h.magic == TarMagic::kPosix) {          // magic, version
        put_text(block, 257, 8, std::string("ustar\0" "00", 8));
    } else if (h.magic == TarMagic::kGnu) {
        put_text(block, 257, 8, std::string("ustar  \0", 8));
    }
    put_text(block, 345, 155, h.prefix);        // prefix
    std::uint32_t sum = 8 * ' ';
    for (std::size_t i = 0; i < 512; ++i)
        if (i < 148 || i >= 156) sum += static_cast<unsigned char>(block[i]);
    char field[8];
    std::snprintf(field, sizeof field, "%06o", h.checksum.value_or(sum));
    put_text(block, 148, 7, field);             // chksum: six digits, NUL, blank
    block[155] = ' ';
    return block;
}

std::string tar_member(const TarHeader& header, const std::string& data) {
    std::string out = tar_header(header) + data;
    out.append((512 - data.size() % 512) % 512, '\0');
    return out;
}

std::string tar_end() { return std::string(1024, '\0'); }

}  // namespace kub::test

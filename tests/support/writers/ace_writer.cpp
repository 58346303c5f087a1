#include "tests/support/writers/ace_writer.h"

#include "common/checksum/crc32.h"
#include "tests/support/writers/zip_builder.h"  // the little-endian field writers

namespace kub::test {

namespace {


// CRC, size, then the counted bytes (from the type on).
std::string block(const std::string& counted, std::optional<std::uint16_t> crc = std::nullopt) {
    std::string out;
    put16(out, crc ? *crc : ace_header_crc(counted));
    put16(out, static_cast<std::uint32_t>(counted.size()));
    return out + counted;
}

}  // namespace

std::uint16_t ace_header_crc(const std::string& bytes) {
    return static_cast<std::uint16_t>(crc32_update(0xFFFFFFFFu, bytes.data(), bytes.size()) & 0xFFFF);
}

std::string ace_archive(const AceArchive& a) {
    std::string main;
    main += '\0';                                 // type: main
    put16(main, a.main_flags);                    // flags
    main += "**ACE**";                            // signature
    main += static_cast<char>(a.version_needed);  // version needed
    main += static_cast<char>(a.version_made_by); // version made by
    main += static_cast<char>(a.host);            // host
    main += static_cast<char>(a.volume_number);   // volume number
    put32(main, 0x52A17B45);                      // creation time
    main.append(8, '\0');                         // reserved
    main += '\0';                                 // authenticity size
    std::string out = block(main);

    if (!a.other_block_before_files.empty()) {
        std::string other;
        other += '\x05';  // a type the reader skips
        put16(other, 0);
        out += block(other + a.other_block_before_files);
    }
    for (const AceFile& f : a.files) {
        std::string h;
        h += '\x01';                                         // type: file
        put16(h, f.flags | 0x0001);                          // flags, with the additional size
        put32(h, static_cast<std::uint32_t>(f.data.size())); // packed size
        put32(h, f.original_size ? f.original_size : static_cast<std::uint32_t>(f.data.size()));  // original size
        put32(h, f.dos_time);                                // file time
        put32(h, f.attributes);                              // attributes
        put32(h, f.crc_register);                            // data CRC register
        put32(h, 0);                                         // technical information
        put16(h, 0);                                         // reserved
        put16(h, f.name_length ? *f.name_length : static_cast<std::uint32_t>(f.name.size()));  // name length
        h += f.name;                                         // name
        out += block(h, f.header_crc) + f.data;
    }
    return out;
}

}  // namespace kub::test

#include "tests/support/writers/cab_builder.h"

#include <algorithm>

#include "tests/support/writers/zip_builder.h"  // the little-endian field writers

namespace kub::test {

namespace {

void put_string(std::string& out, const std::string& text) {
    out += text;
    out += '\0';
}

constexpr std::size_t kDataBlock = 32768;

}  // namespace

std::string cab_file(const CabLayout& cabinet) {
    std::uint16_t flags = 0;
    if (!cabinet.prev_cabinet.empty()) flags |= 0x0001;
    if (!cabinet.next_cabinet.empty()) flags |= 0x0002;
    if (cabinet.reserve) flags |= 0x0004;

    // Everything after the 36 fixed bytes of CFHEADER.
    std::string optional;
    if (cabinet.reserve) {
        put16(optional, static_cast<std::uint32_t>(cabinet.header_reserve.size()));  // cbCFHeader
        optional += static_cast<char>(cabinet.folder_reserve);                      // cbCFFolder
        optional += static_cast<char>(cabinet.data_reserve);                        // cbCFData
        optional += cabinet.header_reserve;                                         // abReserve
    }
    if (flags & 0x0001) {
        put_string(optional, cabinet.prev_cabinet);  // szCabinetPrev
        put_string(optional, cabinet.prev_disk);     // szDiskPrev
    }
    if (flags & 0x0002) {
        put_string(optional, cabinet.next_cabinet);  // szCabinetNext
        put_string(optional, cabinet.next_disk);     // szDiskNext
    }

    std::string folder_data;
    for (const CabEntry& e : cabinet.entries) folder_data += e.data;
    std::size_t blocks = (folder_data.size() + kDataBlock - 1) / kDataBlock;

    const std::size_t folder_offset = 36 + optional.size();
    const std::size_t files_offset = folder_offset + 8 + cabinet.folder_reserve;
    std::string files;
    std::uint32_t offset_in_folder = 0;
    for (const CabEntry& e : cabinet.entries) {
        put32(files, static_cast<std::uint32_t>(e.data.size()));  // cbFile
        put32(files, offset_in_folder);                            // uoffFolderStart
        put16(files, e.folder);                                    // iFolder
        put16(files, e.date);                                      // date
        put16(files, e.time);                                      // time
        put16(files, e.attribs);                                   // attribs
        put_string(files, e.name);                                 // szName
        offset_in_folder += static_cast<std::uint32_t>(e.data.size());
    }
    const std::size_t data_offset = files_offset + files.size();

    std::string data;
    for (std::size_t b = 0; b < blocks; ++b) {
        std::size_t n = std::min(kDataBlock, folder_data.size() - b * kDataBlock);
        put32(data, 0);                               // csum: 0 means not computed
        put16(data, static_cast<std::uint32_t>(n));   // cbData
        put16(data, static_cast<std::uint32_t>(n));   // cbUncomp
        data.append(cabinet.data_reserve, '\0');         // abReserve
        data.append(folder_data, b * kDataBlock, n);  // ab
    }

    std::string out;
    out += "MSCF";
    put32(out, cabinet.reserved1);                                                // reserved1
    put32(out, static_cast<std::uint32_t>(data_offset + data.size()));         // cbCabinet
    put32(out, 0);                                                             // reserved2
    put32(out, static_cast<std::uint32_t>(files_offset));                      // coffFiles
    put32(out, 0);                                                             // reserved3
    out += static_cast<char>(cabinet.version_minor);                              // versionMinor
    out += static_cast<char>(cabinet.version_major);                              // versionMajor
    put16(out, 1);                                                             // cFolders
    put16(out, static_cast<std::uint32_t>(cabinet.entries.size()));               // cFiles
    put16(out, flags);                                                         // flags
    put16(out, cabinet.set_id);                                                   // setID
    put16(out, cabinet.cabinet_index);                                            // iCabinet
    out += optional;
    put32(out, static_cast<std::uint32_t>(data_offset));                       // coffCabStart
    put16(out, static_cast<std::uint32_t>(blocks));                            // cCFData
    put16(out, 0);                                                             // typeCompress: none
    out.append(cabinet.folder_reserve, '\0');                                     // abReserve
    out += files;
    out += data;
    return out;
}

}  // namespace kub::test

#pragma once
// Reads that must fill their buffer: a file may deliver less than asked at a time.
#include <cstddef>
#include <cstdint>

#include "common/files/disk_file.h"

namespace kub {

// Reads until `size` bytes are in `buffer` or the file ends or fails; the bytes read.
inline std::size_t read_fully(DiskFile& file, void* buffer, std::size_t size) {
    std::size_t got = 0;
    while (got < size) {
        std::int64_t n = file.Read(static_cast<std::uint8_t*>(buffer) + got, size - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

}  // namespace kub

#pragma once
// The sizes of an .xz file read from its stream indexes, from the end of the file backwards:
// stream padding, stream footer, index, and the stream header the index's sizes point back to,
// stream after stream until the start of the file.
#include <cstdint>

#include "common/files/disk_file.h"

namespace kub {

struct XzIndexScan {
    enum class Outcome {
        kComplete,   // every stream back to the file's start was read
        kPartial,    // bytes in front of the earliest stream read are no stream (no footer magic)
        kFailed,     // a footer, index or header is damaged, or no stream was read at all
    };
    Outcome outcome = Outcome::kFailed;
    int streams = 0;
    std::uint64_t first_stream_offset = 0;  // where the earliest stream read begins
    std::uint64_t unpacked_size = 0;        // sum over the streams read
};

// Reads the indexes of `file` (`file_size` bytes long). The file position is left anywhere.
XzIndexScan ScanXzIndexes(DiskFile& file, std::uint64_t file_size);

}  // namespace kub

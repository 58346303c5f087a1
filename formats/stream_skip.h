#pragma once
// SkipTo by reading: a single-stream reader that cannot drop data without decoding it moves
// forward by reading and discarding pieces of at most 8 KiB through its own ReadStream.
#include <cstdint>

#include "formats/archive_reader.h"

namespace kub {

// From `delivered` (the reader's position) to `position`: the new position; kSkipToFailed for a
// position behind `delivered` or an error flag; `when_data_ends` when a piece comes back empty.
std::int64_t SkipByReading(SingleStreamReader& reader, std::uint64_t delivered, std::uint64_t position,
                           std::int64_t when_data_ends);

}  // namespace kub

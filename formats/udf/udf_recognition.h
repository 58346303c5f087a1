#pragma once
// Whether the head of a file carries a UDF volume recognition descriptor (NSR02 or NSR03) in one
// of the sectors that follow the 32 KiB system area. The UDF reader takes such files; the ISO 9660
// reader leaves them to it, so hybrid discs are listed through their UDF file system.
#include <cstdint>
#include <span>

namespace kub {

bool carries_udf_recognition(std::span<const std::uint8_t> head);

}  // namespace kub

#pragma once
// Decisions over one tar header block and over archive names, kept apart from the reading.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kub::tar {

// A numeric field: base-256 big-endian after a first byte 0x80 (saturating at the largest
// value), else octal digits after leading blanks and tabs, up to the first other character.
std::uint64_t ParseNumber(std::span<const std::uint8_t> field);

// The header test: the checksum, and in strict mode printable name bytes and octal numeric
// fields. A block shorter than 512 bytes fails.
bool PassesHeaderTest(std::span<const std::uint8_t> block, bool strict);

// A compressed-tar name (name.tar.gz, name.tgz, name.tar[1].bz2, "name tar.gz", ...).
bool IsCompressedTarName(std::u16string_view path);

// Which single-stream reader decompresses a compressed tar of this name, by how the name ends:
// a registry index (bzip2, gzip, xz or Z), or -1.
int InnerStreamReaderIndex(std::u16string_view path);

}  // namespace kub::tar

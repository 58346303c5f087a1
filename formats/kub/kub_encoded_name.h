#pragma once
// The UTF-16 form of a generation-2 item name. The name field holds the name in the OEM code page,
// a zero byte, then the encoded form: a common high byte, and runs of characters described by
// 2-bit codes packed four to a flag byte (highest bits first):
//   0  one byte b                    -> b
//   1  one byte b                    -> high * 256 + b
//   2  two bytes, little-endian      -> that character
//   3  L (bit 7 clear)               -> L + 2 characters copied from the OEM name
//      L (bit 7 set), correction C   -> (L & 0x7F) + 2 characters high * 256 + (OEM byte + C)
// where copies take the OEM bytes at the output position.
#include <cstdint>
#include <span>
#include <string>

namespace kub::kubfmt {

// The decoded name, at most kMaxDecodedNameUnits units; empty when the field stores no encoded
// form (no zero byte, nothing after it) or the form decodes to nothing.
std::u16string decode_encoded_name(std::span<const std::uint8_t> field);

}  // namespace kub::kubfmt

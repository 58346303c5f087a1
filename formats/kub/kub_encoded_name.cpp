#include "formats/kub/kub_encoded_name.h"

#include <algorithm>

#include "formats/kub/kub_layout.h"

namespace kub::kubfmt {

std::u16string decode_encoded_name(std::span<const std::uint8_t> field) {
    auto zero = std::find(field.begin(), field.end(), std::uint8_t{0});
    if (zero == field.end()) return {};
    std::span<const std::uint8_t> in(zero + 1, field.end());
    if (in.empty()) return {};

    // Copies read the OEM bytes at the output position; past the field they read as zero.
    auto oem_at = [&](std::size_t i) -> unsigned { return i < field.size() ? field[i] : 0; };
    const unsigned high = static_cast<unsigned>(in[0]) << 8;
    std::size_t pos = 1;
    std::u16string out;
    unsigned flags = 0;
    unsigned codes_left = 0;

    while (pos < in.size() && out.size() < kMaxDecodedNameUnits) {
        if (codes_left == 0) {
            flags = in[pos++];
            codes_left = 4;
            continue;
        }
        unsigned code = (flags >> 6) & 3;
        flags <<= 2;
        --codes_left;
        switch (code) {
            case 0: out.push_back(static_cast<char16_t>(in[pos++])); break;
            case 1: out.push_back(static_cast<char16_t>(high | in[pos++])); break;
            case 2:
                if (in.size() - pos < 2) pos = in.size();
                if (pos == in.size()) break;
                out.push_back(static_cast<char16_t>(in[pos] | (in[pos + 1] << 8)));
                pos += 2;
                break;
            default: {
                unsigned length = in[pos++];
                bool corrected = length & 0x80;
                unsigned correction = 0;
                if (corrected) {
                    if (pos >= in.size()) break;
                    correction = in[pos++];
                }
                std::size_t count = (length & 0x7F) + 2;
                for (std::size_t j = 0; j < count && out.size() < kMaxDecodedNameUnits; ++j) {
                    unsigned b = oem_at(out.size());
                    out.push_back(static_cast<char16_t>(corrected ? high | ((b + correction) & 0xFF) : b));
                }
                break;
            }
        }
    }
    // The name is a terminated string: a zero character produced on the way ends it.
    out.resize(std::min(out.size(), out.find(u'\0')));
    return out;
}

}  // namespace kub::kubfmt

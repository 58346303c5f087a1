#include "formats/tar/tar_header.h"

#include <cstdint>

#include "common/files/path_ops.h"
#include "common/text/text_compare.h"
#include "formats/format_registry.h"
#include "formats/tar/tar_layout.h"

namespace kub::tar {

namespace {

bool ends_with_text(std::u16string_view text, std::u16string_view tail) {
    return text.size() >= tail.size() && compare_text(text.substr(text.size() - tail.size()), tail) == 0;
}

bool is_ascii_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

std::uint64_t ParseNumber(std::span<const std::uint8_t> field) {
    std::uint64_t value = 0;
    if (!field.empty() && field[0] == 0x80) {
        for (std::size_t i = 1; i < field.size(); ++i) {
            if (value > (UINT64_MAX >> 8)) return UINT64_MAX;
            value = (value << 8) | field[i];
        }
        return value;
    }
    std::size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) ++i;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '7'; ++i) value = value * 8 + (field[i] - '0');
    return value;
}

bool PassesHeaderTest(std::span<const std::uint8_t> block, bool strict) {
    if (block.size() < kBlockSize) return false;
    if (strict) {
        for (std::size_t i = 0; i < kNameSize && block[kName + i] != 0; ++i) {
            if (block[kName + i] < 0x20) return false;
        }
        for (std::size_t i = kNumericFieldsStart; i < kNumericFieldsEnd; ++i) {
            std::uint8_t c = block[i];
            if (!((c >= '0' && c <= '7') || c == ' ' || c == 0)) return false;
        }
    }
    std::uint64_t sum = kChecksumBlanks;
    for (std::size_t i = 0; i < kChecksum; ++i) sum += block[i];
    for (std::size_t i = kTypeFlag; i < kBlockSize; ++i) sum += block[i];
    return sum == ParseNumber(block.subspan(kChecksum, kChecksumSize));
}

bool IsCompressedTarName(std::u16string_view path) {
    std::u16string_view name = name_part(path);
    if (name.size() > 2047) name = name.substr(0, 2047);
    std::size_t dot = name.rfind(u'.');
    if (dot == std::u16string_view::npos) return false;
    std::u16string_view ext = name.substr(dot);
    for (std::u16string_view whole : {u".tgz", u".tbz", u".tbz2", u".taz", u".txz"}) {
        if (compare_text(ext, whole) == 0) return true;
    }
    bool compressed = false;
    for (std::u16string_view outer : {u".gz", u".bz2", u".xz", u".z"}) {
        if (compare_text(ext, outer) == 0) compressed = true;
    }
    if (!compressed) return false;
    std::u16string_view rest = name.substr(0, dot);
    std::size_t inner_dot = rest.rfind(u'.');
    if (inner_dot == std::u16string_view::npos) return false;
    std::u16string_view inner = rest.substr(inner_dot);
    if (compare_text(inner, u".tar") == 0) return true;
    if (inner.size() >= 7 && compare_text(inner.substr(0, 5), u".tar[") == 0 && is_ascii_digit(inner[5]) &&
        inner[6] == u']')
        return true;
    return ends_with_text(rest, u" tar");
}

int InnerStreamReaderIndex(std::u16string_view path) {
    if (ends_with_text(path, u"bz") || ends_with_text(path, u"bz2")) return kBzip2ReaderIndex;
    if (ends_with_text(path, u"gz")) return kGzipReaderIndex;
    if (ends_with_text(path, u"xz")) return kXzReaderIndex;
    if (ends_with_text(path, u"z")) return kZReaderIndex;
    return -1;
}

}  // namespace kub::tar

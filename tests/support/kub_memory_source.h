#pragma once
// A KUB archive held in memory, read through the same interface as the archive file.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "formats/kub/kub_byte_source.h"

namespace kub::test {

struct MemorySource final : kubfmt::ByteSource {
    explicit MemorySource(const std::vector<std::uint8_t>& b) : bytes(b) {}
    std::int64_t read(std::uint8_t* out, std::size_t n) override {
        std::size_t at = static_cast<std::size_t>(std::min<std::uint64_t>(pos, bytes.size()));
        std::size_t take = std::min(n, bytes.size() - at);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), take, out);
        pos += take;
        return static_cast<std::int64_t>(take);
    }
    bool seek(std::uint64_t p) override {
        pos = p;
        return true;
    }
    std::uint64_t tell() override { return pos; }

    const std::vector<std::uint8_t>& bytes;
    std::uint64_t pos = 0;
};

}  // namespace kub::test

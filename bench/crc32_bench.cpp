// Our CRC-32 against zlib's on the same buffers, in one run, so the ratio is meaningful.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <vector>

#include "common/checksum/crc32.h"

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

const std::vector<unsigned char>& buffer() {
    static const std::vector<unsigned char> bytes = [] {
        std::vector<unsigned char> b(kBufferSize);
        std::mt19937 random(12345);
        for (auto& x : b) x = static_cast<unsigned char>(random());
        return b;
    }();
    return bytes;
}

void BM_KubCrc32(benchmark::State& state) {
    const auto& b = buffer();
    for (auto _ : state) benchmark::DoNotOptimize(kub::crc32(b.data(), b.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(b.size()));
}

void BM_ZlibCrc32(benchmark::State& state) {
    const auto& b = buffer();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ::crc32(::crc32(0L, Z_NULL, 0), b.data(), static_cast<uInt>(b.size())));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(b.size()));
}

}  // namespace

BENCHMARK(BM_KubCrc32);
BENCHMARK(BM_ZlibCrc32);
BENCHMARK_MAIN();

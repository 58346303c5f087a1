#include "formats/xz/xz_index_scan.h"

#include <array>
#include <new>
#include <vector>

#include <lzma.h>

namespace kub {

namespace {

// An index larger than this is not read (its records would describe millions of blocks).
constexpr std::uint64_t kMaxIndexBytes = 64ull * 1024 * 1024;
constexpr std::uint64_t kIndexMemoryLimit = 256ull * 1024 * 1024;
constexpr std::size_t kPaddingChunk = 64 * 1024;

bool read_at(DiskFile& file, std::uint64_t offset, std::uint8_t* out, std::size_t size) {
    if (!file.Seek(static_cast<std::int64_t>(offset), SeekMethod::begin)) return false;
    std::size_t done = 0;
    while (done < size) {
        std::int64_t got = file.Read(out + done, size - done);
        if (got <= 0) return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// Moves `end` back over stream padding (zero bytes in groups of four). False on a read failure
// or padding that is not a multiple of four.
bool skip_padding(DiskFile& file, std::uint64_t& end) {
    std::vector<std::uint8_t> chunk;
    while (end > 0) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(end, kPaddingChunk));
        n -= n % 4;
        if (n == 0) break;
        chunk.resize(n);
        if (!read_at(file, end - n, chunk.data(), n)) return false;
        std::size_t i = n;
        while (i >= 4 && chunk[i - 1] == 0 && chunk[i - 2] == 0 && chunk[i - 3] == 0 && chunk[i - 4] == 0) i -= 4;
        end -= n - i;
        if (i != 0) break;
    }
    return true;
}

struct IndexGuard {
    lzma_index* index = nullptr;
    ~IndexGuard() {
        if (index) lzma_index_end(index, nullptr);
    }
};

}  // namespace

XzIndexScan ScanXzIndexes(DiskFile& file, std::uint64_t file_size) {
    XzIndexScan scan;
    std::uint64_t end = file_size;  // the end of the part not yet read
    std::uint64_t unpacked = 0;
    auto stop = [&](bool no_stream_here) {
        scan.outcome = no_stream_here && scan.streams > 0 ? XzIndexScan::Outcome::kPartial : XzIndexScan::Outcome::kFailed;
        if (scan.outcome == XzIndexScan::Outcome::kFailed) {
            scan.first_stream_offset = 0;
            scan.unpacked_size = 0;
        }
        return scan;
    };
    // Padding is a multiple of four bytes, so is every stream: the file end must be too.
    if (file_size % 4 != 0) return stop(true);
    while (end > 0) {
        if (!skip_padding(file, end)) return stop(false);
        if (end < 2 * LZMA_STREAM_HEADER_SIZE) return stop(true);
        std::array<std::uint8_t, LZMA_STREAM_HEADER_SIZE> footer_bytes{};
        if (!read_at(file, end - LZMA_STREAM_HEADER_SIZE, footer_bytes.data(), footer_bytes.size())) return stop(false);
        lzma_stream_flags footer{};
        lzma_ret ret = lzma_stream_footer_decode(&footer, footer_bytes.data());
        if (ret == LZMA_FORMAT_ERROR) return stop(true);
        if (ret != LZMA_OK) return stop(false);

        std::uint64_t footer_start = end - LZMA_STREAM_HEADER_SIZE;
        if (footer.backward_size > kMaxIndexBytes || footer.backward_size > footer_start - LZMA_STREAM_HEADER_SIZE)
            return stop(false);
        std::uint64_t index_start = footer_start - footer.backward_size;
        std::vector<std::uint8_t> index_bytes;
        try {
            index_bytes.resize(static_cast<std::size_t>(footer.backward_size));
        } catch (const std::bad_alloc&) {
            return stop(false);
        }
        if (!read_at(file, index_start, index_bytes.data(), index_bytes.size())) return stop(false);
        IndexGuard guard;
        std::uint64_t memlimit = kIndexMemoryLimit;
        std::size_t in_pos = 0;
        ret = lzma_index_buffer_decode(&guard.index, &memlimit, nullptr, index_bytes.data(), &in_pos,
                                       index_bytes.size());
        if (ret != LZMA_OK || in_pos != index_bytes.size()) return stop(false);

        lzma_vli stream_size = lzma_index_stream_size(guard.index);
        if (stream_size > end) return stop(false);
        std::uint64_t stream_start = end - stream_size;
        std::array<std::uint8_t, LZMA_STREAM_HEADER_SIZE> header_bytes{};
        if (!read_at(file, stream_start, header_bytes.data(), header_bytes.size())) return stop(false);
        lzma_stream_flags header{};
        if (lzma_stream_header_decode(&header, header_bytes.data()) != LZMA_OK) return stop(false);
        if (lzma_stream_flags_compare(&header, &footer) != LZMA_OK) return stop(false);

        lzma_vli stream_unpacked = lzma_index_uncompressed_size(guard.index);
        if (stream_unpacked > UINT64_MAX / 2 - unpacked) return stop(false);
        unpacked += stream_unpacked;
        ++scan.streams;
        scan.first_stream_offset = stream_start;
        scan.unpacked_size = unpacked;
        end = stream_start;
    }
    scan.outcome = scan.streams > 0 ? XzIndexScan::Outcome::kComplete : XzIndexScan::Outcome::kFailed;
    return scan;
}

}  // namespace kub

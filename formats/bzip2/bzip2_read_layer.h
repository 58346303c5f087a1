#pragma once
// One bzip2 stream of a file being decoded: libbz2's decompressor fed from the file through an
// 8 KiB input buffer. A file of concatenated streams is read by one layer per stream; the input
// a finished layer had read beyond its stream is carried over into the next one.
//
// State: `input_` holds the piece last read from the file (or the carried-over bytes); libbz2's
// next_in/avail_in mark the part of it not yet consumed. `file_position_` counts the bytes taken from the file, which is read only
// forward, so the layer knows the file has ended without asking it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include <bzlib.h>

#include "common/files/disk_file.h"

namespace kub {

// Last results of a read layer besides libbz2's own codes (BZ_OK, BZ_STREAM_END, errors < 0).
inline constexpr int kBzip2UnexpectedEnd = -7;  // the file ended inside the stream

class Bzip2ReadLayer {
public:
    static constexpr std::size_t kInputSize = 8192;

    // A layer over `file`, which stands at `file_position` of `file_size` bytes, starting with
    // `carried` bytes read before; null when there are too many of them or libbz2 cannot start.
    static std::unique_ptr<Bzip2ReadLayer> Open(DiskFile& file, std::int64_t& file_position, std::int64_t file_size,
                                                std::span<const std::uint8_t> carried);
    ~Bzip2ReadLayer();
    Bzip2ReadLayer(const Bzip2ReadLayer&) = delete;
    Bzip2ReadLayer& operator=(const Bzip2ReadLayer&) = delete;

    // Decodes into `out`: all of it, or up to the stream's end (last result BZ_STREAM_END).
    // Returns 0 with another last result when the data is damaged or the file ended first.
    std::size_t Read(std::span<std::uint8_t> out);
    int last_result() const { return last_result_; }
    // The input read from the file but not consumed by this stream.
    std::span<const std::uint8_t> Unconsumed() const;

private:
    Bzip2ReadLayer(DiskFile& file, std::int64_t& file_position, std::int64_t file_size);

    DiskFile& file_;
    std::int64_t& file_position_;
    std::int64_t file_size_;
    std::array<std::uint8_t, kInputSize> input_{};
    bz_stream stream_{};
    bool started_ = false;
    int last_result_ = BZ_OK;
};

}  // namespace kub

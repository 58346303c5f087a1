#include "formats/bzip2/bzip2_read_layer.h"

#include <cstring>
#include <new>

namespace kub {

Bzip2ReadLayer::Bzip2ReadLayer(DiskFile& file, std::int64_t& file_position, std::int64_t file_size)
    : file_(file), file_position_(file_position), file_size_(file_size) {}

std::unique_ptr<Bzip2ReadLayer> Bzip2ReadLayer::Open(DiskFile& file, std::int64_t& file_position,
                                                     std::int64_t file_size, std::span<const std::uint8_t> carried) {
    if (carried.size() > kInputSize) return nullptr;
    std::unique_ptr<Bzip2ReadLayer> layer(new (std::nothrow) Bzip2ReadLayer(file, file_position, file_size));
    if (!layer) return nullptr;
    if (!carried.empty()) std::memcpy(layer->input_.data(), carried.data(), carried.size());
    layer->stream_.next_in = reinterpret_cast<char*>(layer->input_.data());
    layer->stream_.avail_in = static_cast<unsigned>(carried.size());
    // Verbosity 0, the fast (not small-memory) decoder, libbz2's own allocator.
    if (BZ2_bzDecompressInit(&layer->stream_, 0, 0) != BZ_OK) return nullptr;
    layer->started_ = true;
    return layer;
}

Bzip2ReadLayer::~Bzip2ReadLayer() {
    if (started_) BZ2_bzDecompressEnd(&stream_);
}

std::span<const std::uint8_t> Bzip2ReadLayer::Unconsumed() const {
    return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(stream_.next_in), stream_.avail_in);
}

std::size_t Bzip2ReadLayer::Read(std::span<std::uint8_t> out) {
    constexpr std::size_t kLargestCall = std::size_t{1} << 30;  // libbz2 counts in unsigned int
    if (out.size() > kLargestCall) out = out.first(kLargestCall);
    stream_.next_out = reinterpret_cast<char*>(out.data());
    stream_.avail_out = static_cast<unsigned>(out.size());
    for (;;) {
        if (stream_.avail_in == 0 && file_position_ < file_size_) {
            std::int64_t got = file_.Read(input_.data(), input_.size());
            if (got > 0) {
                file_position_ += got;
                stream_.next_in = reinterpret_cast<char*>(input_.data());
                stream_.avail_in = static_cast<unsigned>(got);
            } else {
                // A read failure or a file that shrank: nothing more will come.
                file_position_ = file_size_;
            }
        }
        int result = BZ2_bzDecompress(&stream_);
        std::size_t produced = out.size() - stream_.avail_out;
        if (result == BZ_STREAM_END) {
            last_result_ = BZ_STREAM_END;
            return produced;
        }
        if (result != BZ_OK) {
            last_result_ = result;
            return 0;
        }
        if (stream_.avail_out == 0) {
            last_result_ = BZ_OK;
            return out.size();
        }
        if (file_position_ >= file_size_ && stream_.avail_in == 0) {
            last_result_ = kBzip2UnexpectedEnd;
            return 0;
        }
    }
}

}  // namespace kub

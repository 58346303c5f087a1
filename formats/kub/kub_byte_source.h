#pragma once
// Where the KUB header walk takes its bytes from: the archive file itself, or the quick-open copy
// of its headers standing in front of it. Positions are archive file offsets either way.
#include <cstddef>
#include <cstdint>

namespace kub::kubfmt {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes from the current position; fewer only at the end of the file. -1 when
    // reading failed.
    virtual std::int64_t read(std::uint8_t* buffer, std::size_t size) = 0;
    virtual bool seek(std::uint64_t position) = 0;
    virtual std::uint64_t tell() = 0;
};

// Reads until `size` bytes arrived, the file ended or reading failed; the bytes read.
inline std::size_t read_fully(ByteSource& source, std::uint8_t* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        std::int64_t got = source.read(buffer + done, size - done);
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace kub::kubfmt

#include "formats/head_buffer_pool.h"

#include <array>
#include <mutex>

#include "formats/archive_reader.h"

namespace kub {
namespace {

struct Pool {
    std::mutex lock;
    std::array<std::unique_ptr<std::uint8_t[]>, kKeptHeadBuffers> kept;
    std::size_t count = 0;
};

// Freed with the module: the library's unload or the program's end.
Pool& pool() {
    static Pool instance;
    return instance;
}

}  // namespace

HeadBuffer::HeadBuffer() {
    {
        Pool& p = pool();
        std::lock_guard<std::mutex> hold(p.lock);
        if (p.count > 0) bytes_ = std::move(p.kept[--p.count]);
    }
    if (!bytes_) bytes_.reset(new std::uint8_t[kHeadBytes]);
}

HeadBuffer::~HeadBuffer() {
    Pool& p = pool();
    std::lock_guard<std::mutex> hold(p.lock);
    if (p.count < p.kept.size()) p.kept[p.count++] = std::move(bytes_);
}

std::size_t kept_head_buffers() {
    Pool& p = pool();
    std::lock_guard<std::mutex> hold(p.lock);
    return p.count;
}

}  // namespace kub

#include "formats/read_progress.h"

namespace kub {

namespace {

constexpr unsigned kHookStepShift = 20;  // one call per mebibyte

std::uint64_t g_bytes_read = 0;
ReadProgressHook g_hook = nullptr;

}  // namespace

void note_archive_bytes_read(std::size_t count) {
    std::uint64_t before = g_bytes_read;
    g_bytes_read += count;
    if (g_hook && (before >> kHookStepShift) != (g_bytes_read >> kHookStepShift)) g_hook(g_bytes_read);
}

std::uint64_t archive_bytes_read() { return g_bytes_read; }

void reset_archive_bytes_read() { g_bytes_read = 0; }

ReadProgressHook set_read_progress_hook(ReadProgressHook hook) {
    ReadProgressHook previous = g_hook;
    g_hook = hook;
    return previous;
}

}  // namespace kub

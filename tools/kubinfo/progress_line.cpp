#include "tools/kubinfo/progress_line.h"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#define KUB_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define KUB_ISATTY(f) isatty(fileno(f))
#endif

#include "common/files/disk_file.h"
#include "formats/read_progress.h"

namespace kub::tool {

namespace {

constexpr auto kQuietPeriod = std::chrono::seconds(1);
constexpr auto kRedrawPeriod = std::chrono::milliseconds(200);

ProgressLine* g_current = nullptr;

void on_bytes_read(std::uint64_t) {
    if (g_current) g_current->Update();
}

}  // namespace

ProgressLine::ProgressLine(std::u16string_view path, bool streams_items)
    : start_(std::chrono::steady_clock::now()) {
    enabled_ = KUB_ISATTY(stderr) != 0 && !(streams_items && KUB_ISATTY(stdout) != 0);
    if (!enabled_) return;
    DiskFile file;
    file.report_errors = false;
    if (file.Open(path)) archive_size_ = file.FileLength();
    reset_archive_bytes_read();
    g_current = this;
    set_read_progress_hook(on_bytes_read);
}

ProgressLine::~ProgressLine() { Finish(); }

void ProgressLine::Finish() {
    if (!enabled_) return;
    enabled_ = false;
    set_read_progress_hook(nullptr);
    g_current = nullptr;
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
}

void ProgressLine::CountItem() {
    ++items_;
    if (enabled_ && (items_ & 0xFF) == 0) Update();
}

void ProgressLine::Update() {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    if (now - start_ < kQuietPeriod || (shown_ && now - last_shown_ < kRedrawPeriod)) return;
    last_shown_ = now;
    shown_ = true;
    unsigned long long read = archive_bytes_read();
    if (archive_size_ > 0) {
        unsigned long long size = static_cast<unsigned long long>(archive_size_);
        std::fprintf(stderr, "\r\033[K%llu of %llu bytes read (%llu%%), %llu items", read, size,
                     read >= size ? 100ull : read * 100 / size, static_cast<unsigned long long>(items_));
    } else {
        std::fprintf(stderr, "\r\033[K%llu bytes read, %llu items", read, static_cast<unsigned long long>(items_));
    }
    std::fflush(stderr);
}

}  // namespace kub::tool

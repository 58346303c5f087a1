#pragma once
// The progress of a long analysis on standard error: once an analysis has run for a second, the
// bytes read of the archive's size and the items so far, rewritten in place. Only when standard
// error is a terminal (and standard output is not the same terminal showing items as they come);
// nothing at all otherwise.
#include <chrono>
#include <cstdint>
#include <string_view>

namespace kub::tool {

class ProgressLine {
public:
    // `streams_items`: items go to standard output while the analysis runs.
    ProgressLine(std::u16string_view path, bool streams_items);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void CountItem();
    void Update();
    // Clears the line (before the result is written) and shows nothing more.
    void Finish();

private:
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_shown_;
    std::int64_t archive_size_ = 0;
    std::uint64_t items_ = 0;
    bool enabled_ = false;
    bool shown_ = false;
};

}  // namespace kub::tool

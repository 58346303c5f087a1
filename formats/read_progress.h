#pragma once
// How much of their archives the readers have read, for a front end that shows progress during a
// long analysis (a large compressed tar is read from end to end). Readers that stream their
// archive count what they read; a hook, when set, hears of every further mebibyte.
#include <cstddef>
#include <cstdint>

namespace kub {

using ReadProgressHook = void (*)(std::uint64_t bytes_read);

void note_archive_bytes_read(std::size_t count);
std::uint64_t archive_bytes_read();
void reset_archive_bytes_read();
// Returns the previous hook; nullptr stops the calls.
ReadProgressHook set_read_progress_hook(ReadProgressHook hook);

}  // namespace kub

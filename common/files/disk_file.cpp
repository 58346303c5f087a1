#include "common/files/disk_file.h"

#include <algorithm>
#include <cstring>

#include "common/error_state.h"
#include "common/files/file_helpers.h"
#include "common/files/path_ops.h"

namespace kub {
namespace {

// Reports without an id of their own among the library's messages.
constexpr int kMsgReadError = 12;
constexpr int kMsgWriteError = 13;

// Standard input hands out at most this much per read, and pipes and devices that refuse a
// larger read are asked again for this much.
constexpr std::size_t kDeviceReadLimit = 20000;
// A disk read over a locked region is retried with this size.
constexpr std::size_t kLockedReadLimit = 32768;
constexpr std::size_t kSectorSize = 512;
constexpr std::size_t kDeviceWriteChunk = 16384;
constexpr std::int64_t kFourGiB = 0xFFFFFFFF;

}  // namespace

DiskFile::~DiskFile() {
    if (handle_ == os::kInvalidFile || handle_supplied_) return;
    if (delete_on_destroy) {
        Delete();
    } else {
        Close();
    }
}

bool DiskFile::Open(std::u16string_view name, unsigned flags) {
    last_error_ = kFileErrorNone;
    if (IsOpened()) Close();
    os::OpenOptions options;
    options.access = (flags & kOpenUpdate) != 0      ? os::FileAccess::read_write
                     : (flags & kOpenWriteOnly) != 0 ? os::FileAccess::write
                                                     : os::FileAccess::read;
    options.share_write = (flags & kOpenShareWrite) != 0 || share_for_writing;
    options.sequential_hint = !no_sequential_hint;
    const os::NativeFile handle = with_long_path_retry(
        name, os::kInvalidFile,
        [&](std::u16string_view path) { return os::open_file(path, options); });
    if (handle == os::kInvalidFile) {
        const os::FileError error = os::last_file_error();
        if (error == os::FileError::not_found || error == os::FileError::path_not_found) {
            last_error_ = kFileErrorNotFound;
        }
        return false;
    }
    handle_ = handle;
    handle_kind_ = kHandleOwn;
    handle_supplied_ = false;
    name_.assign(name);
    cut_to_size(name_, kPathBufferSize);
    return true;
}

void DiskFile::AttachHandle(os::NativeFile handle, int kind) {
    handle_ = handle;
    handle_kind_ = kind;
    handle_supplied_ = true;
}

void DiskFile::UseStandardHandles() {
    handle_ = os::standard_input();
    handle_kind_ = kHandleStandard;
    handle_supplied_ = false;
}

bool DiskFile::Close() {
    bool success = true;
    if (handle_ != os::kInvalidFile) {
        if (handle_kind_ == kHandleOwn && !handle_supplied_) success = os::close_file(handle_);
        handle_ = os::kInvalidFile;
    }
    if (!success && report_errors && !ErrorState::data().user_break) {
        ErrorState::report(kMsgCloseError, name_);
    }
    return success;
}

bool DiskFile::Delete() {
    if (handle_kind_ == kHandleStandard) return false;
    if (handle_ != os::kInvalidFile) Close();
    if (!delete_allowed) return false;
    return delete_file(name_);
}

std::int64_t DiskFile::RawRead(void* buffer, std::size_t size) {
    if (handle_kind_ == kHandleStandard) {
        handle_ = os::standard_input();
        size = std::min(size, kDeviceReadLimit);
    }
    std::size_t done = 0;
    if (os::read_file(handle_, buffer, size, done)) return static_cast<std::int64_t>(done);
    const os::FileError error = os::last_file_error();
    if (handle_kind_ == kHandleStandard && error == os::FileError::broken_pipe) return 0;
    if (size > kDeviceReadLimit && IsDevice()) return RawRead(buffer, kDeviceReadLimit);
    if (size > kLockedReadLimit && error == os::FileError::lock_violation && !IsDevice()) {
        return RawRead(buffer, kLockedReadLimit);
    }
    return -1;
}

std::int64_t DiskFile::Read(void* buffer, std::size_t size) {
    const std::int64_t start = allow_sector_read ? Tell() : 0;
    const std::int64_t done = RawRead(buffer, size);
    if (done >= 0) return done;
    last_error_ = kFileErrorRead;
    if (!report_errors) return -1;
    if (allow_sector_read && start >= 0) return ReadBySectors(buffer, size, start);
    ReportReadError();
    return -1;
}

// Reads what can be read of a damaged region: each 512-byte piece that fails is counted as read
// (zero-filled, so no stale bytes pass for data) and skipped.
std::int64_t DiskFile::ReadBySectors(void* buffer, std::size_t size, std::int64_t start) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t total = 0;
    while (total < size) {
        const std::size_t piece = std::min(kSectorSize, size - total);
        if (!SeekQuiet(start + static_cast<std::int64_t>(total), SeekMethod::begin)) break;
        const std::int64_t got = RawRead(bytes + total, piece);
        if (got == 0) break;
        if (got < 0) {
            std::memset(bytes + total, 0, piece);
            total += piece;
        } else {
            total += static_cast<std::size_t>(got);
        }
    }
    SeekQuiet(start + static_cast<std::int64_t>(total), SeekMethod::begin);
    return static_cast<std::int64_t>(total);
}

bool DiskFile::Write(const void* buffer, std::size_t size) {
    if (handle_kind_ == kHandleStandard) handle_ = os::standard_output();
    bool success = true;
    if (handle_kind_ != kHandleOwn) {
        const auto* bytes = static_cast<const unsigned char*>(buffer);
        for (std::size_t offset = 0; success && offset < size; offset += kDeviceWriteChunk) {
            const std::size_t piece = std::min(kDeviceWriteChunk, size - offset);
            std::size_t done = 0;
            success = os::write_file(handle_, bytes + offset, piece, done) && done == piece;
        }
    } else {
        std::size_t done = 0;
        success = os::write_file(handle_, buffer, size, done) && done == size;
    }
    written_ = true;
    if (!success && handle_kind_ == kHandleOwn && !handle_supplied_ && report_errors) {
        // A file system without files over 4 GiB fails the write that crosses the limit although
        // the volume has room: say so, since the write error alone would mislead.
        std::int64_t position = 0;
        const auto length = static_cast<std::int64_t>(size);
        if (os::seek_file(handle_, 0, SeekMethod::current, position) &&
            position - length <= kFourGiB && position + length > kFourGiB &&
            free_disk_space(name_) > size) {
            ErrorState::report(kMsgFileSizeLimit, name_);
        }
        ErrorState::report(kMsgWriteError, name_);
    }
    return success;
}

bool DiskFile::SeekQuiet(std::int64_t offset, SeekMethod method) {
    if (handle_ == os::kInvalidFile) return true;
    std::int64_t position = 0;
    if (offset < 0 && method != SeekMethod::begin) {
        std::int64_t base = 0;
        if (method == SeekMethod::current) {
            if (!os::seek_file(handle_, 0, SeekMethod::current, base)) return false;
        } else {
            std::int64_t here = 0;
            if (!os::seek_file(handle_, 0, SeekMethod::current, here) ||
                !os::seek_file(handle_, 0, SeekMethod::end, base) ||
                !os::seek_file(handle_, here, SeekMethod::begin, position)) {
                return false;
            }
        }
        offset += base;
        method = SeekMethod::begin;
    }
    return os::seek_file(handle_, offset, method, position);
}

bool DiskFile::Seek(std::int64_t offset, SeekMethod method) {
    if (SeekQuiet(offset, method)) return true;
    if (report_errors) ReportSeekError();
    return false;
}

std::int64_t DiskFile::Tell() {
    std::int64_t position = 0;
    if (os::seek_file(handle_, 0, SeekMethod::current, position)) return position;
    if (report_errors) ReportSeekError();
    return -1;
}

bool DiskFile::IsDevice() {
    const os::FileType type = os::file_type(handle_);
    return type == os::FileType::character || type == os::FileType::pipe;
}

std::int64_t DiskFile::FileLength() {
    const std::int64_t here = Tell();
    Seek(0, SeekMethod::end);
    const std::int64_t length = Tell();
    Seek(here, SeekMethod::begin);
    return length;
}

void DiskFile::ReportReadError() {
    ErrorState::report(kMsgReadError, name_);
}

void DiskFile::ReportSeekError() {
    if (!ErrorState::data().user_break) ErrorState::report(kMsgSeekError, name_);
}

}  // namespace kub

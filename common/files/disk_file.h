#pragma once
// DiskFile: one open file as the archive readers see it. Failures of reading, seeking and
// closing go to ErrorState unless `report_errors` is off; opening never reports, it leaves
// `LastError()` for the caller to decide (a missing next volume is not an error).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/os/os.h"

namespace kub {

// Open flags.
inline constexpr unsigned kOpenUpdate = 0x1;  // read and write
inline constexpr unsigned kOpenWriteOnly = 0x2;
inline constexpr unsigned kOpenShareWrite = 0x4;  // others may write while it is open

// Values of DiskFile::LastError().
inline constexpr int kFileErrorNone = 0;
inline constexpr int kFileErrorNotFound = 1;  // set by Open
inline constexpr int kFileErrorRead = 2;      // set by Read

// Values of the handle kind.
inline constexpr int kHandleOwn = 0;
inline constexpr int kHandleStandard = 1;  // standard input for reading, output for writing
inline constexpr int kHandleSupplied = 2;  // any other non-zero value: attached, never closed

using SeekMethod = os::SeekMethod;

class DiskFile {
  public:
    DiskFile() = default;
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;
    // Closes an own handle, or deletes the file when `delete_on_destroy` is set.
    virtual ~DiskFile();

    // Opens an existing file (never creates one); retried once in the "\\?\" form. Sets
    // LastError() to kFileErrorNotFound when the file is not there.
    virtual bool Open(std::u16string_view name, unsigned flags = 0);
    // Bytes read (0 at the end) or -1. Sets LastError() to kFileErrorRead on failure.
    virtual std::int64_t Read(void* buffer, std::size_t size);
    // Negative offsets from the current position or the end are allowed.
    virtual bool Seek(std::int64_t offset, SeekMethod method = SeekMethod::begin);
    virtual std::int64_t Tell();

    // One read with the system's retry rules for pipes and locked regions; no reporting.
    std::int64_t RawRead(void* buffer, std::size_t size);
    bool Write(const void* buffer, std::size_t size);
    bool Close();
    // Closes the file and removes it (when `delete_allowed`); not for standard handles.
    bool Delete();
    bool IsDevice();
    std::int64_t FileLength();

    // Uses an outside handle; it is never closed by this object.
    void AttachHandle(os::NativeFile handle, int kind = kHandleSupplied);
    // Reads from standard input and writes to standard output.
    void UseStandardHandles();

    bool IsOpened() const { return handle_ != os::kInvalidFile; }
    os::NativeFile Handle() const { return handle_; }
    const std::u16string& Name() const { return name_; }
    int LastError() const { return last_error_; }
    int HandleKind() const { return handle_kind_; }
    bool Written() const { return written_; }

    bool delete_allowed = true;
    bool report_errors = true;
    bool allow_sector_read = false;  // after a failed read, read again in 512-byte pieces
    bool delete_on_destroy = false;  // a temporary file
    bool no_sequential_hint = false;
    bool share_for_writing = false;

  private:
    bool SeekQuiet(std::int64_t offset, SeekMethod method);
    std::int64_t ReadBySectors(void* buffer, std::size_t size, std::int64_t start);
    void ReportReadError();
    void ReportSeekError();

    os::NativeFile handle_ = os::kInvalidFile;
    std::u16string name_;
    int handle_kind_ = kHandleOwn;
    bool handle_supplied_ = false;
    bool written_ = false;
    int last_error_ = kFileErrorNone;
};

}  // namespace kub

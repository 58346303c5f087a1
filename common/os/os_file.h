#pragma once
// Files, folders and directory search. Paths are UTF-16; the posix side accepts "\" and "/" as
// separators. Every call that fails leaves its reason for last_file_error(), read at once.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kub::os {

// A system file handle: a HANDLE on Windows, a descriptor on posix. Both fit, and both use -1
// as the invalid value (INVALID_HANDLE_VALUE).
using NativeFile = std::intptr_t;
inline constexpr NativeFile kInvalidFile = -1;

// The failure kinds callers act on; everything else is `other`.
enum class FileError {
    none,
    not_found,       // the file does not exist
    path_not_found,  // a folder on the way does not exist
    no_more_files,   // a directory search ran out
    already_exists,
    access_denied,
    lock_violation,
    broken_pipe,
    unsupported,
    other,
};
FileError last_file_error();

enum class FileAccess { read, write, read_write };
enum class FileType { disk, character, pipe, unknown };
enum class SeekMethod : int { begin = 0, current = 1, end = 2 };

struct OpenOptions {
    FileAccess access = FileAccess::read;
    bool share_write = false;     // let others write while it is open (reading is always shared)
    bool sequential_hint = true;  // the file is read front to back
};

// Opens an existing file; never creates one.
NativeFile open_file(std::u16string_view path, const OpenOptions& options);
// Creates or truncates a file for writing.
NativeFile create_file(std::u16string_view path);
// Creates a file for writing that did not exist: fails on anything already at the path, a link
// included, so nothing someone else put there is written through. Others may read it meanwhile.
NativeFile create_new_file(std::u16string_view path);
bool close_file(NativeFile file);
// Reads or writes up to `size` bytes; `done` receives the count moved.
bool read_file(NativeFile file, void* buffer, std::size_t size, std::size_t& done);
bool write_file(NativeFile file, const void* buffer, std::size_t size, std::size_t& done);
// 64-bit positioning; `position` receives the new position.
bool seek_file(NativeFile file, std::int64_t offset, SeekMethod method, std::int64_t& position);
FileType file_type(NativeFile file);
NativeFile standard_input();
NativeFile standard_output();

// A buffered C stream shared with every other opener; `mode` as for fopen ("rb", "wb", ...).
std::FILE* open_stream(std::u16string_view path, const char* mode);

// Attribute bits as the system defines them.
inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrNormal = 0x80;
inline constexpr std::uint32_t kAttrReparsePoint = 0x400;
inline constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFF;

std::uint32_t get_attributes(std::u16string_view path);
bool set_attributes(std::u16string_view path, std::uint32_t attributes);
bool delete_file(std::u16string_view path);
bool rename_file(std::u16string_view from, std::u16string_view to);
bool create_directory(std::u16string_view path);
bool remove_directory(std::u16string_view path);
// Replaces (or, with an empty `to`, deletes) `from` at the next system start.
bool move_at_restart(std::u16string_view from, std::u16string_view to);

// Bytes available to the caller and the volume's total size, for the volume holding `folder`.
bool free_space(std::u16string_view folder, std::uint64_t& available, std::uint64_t& total);

// The system's folder for temporary files, with a trailing separator; empty when unknown.
std::u16string temp_path();
std::u16string current_directory();
bool set_current_directory(std::u16string_view path);

// One entry of a directory search. Times are 100-nanosecond units since 1601-01-01 UTC.
struct DirEntryInfo {
    std::u16string name;
    std::uint64_t size = 0;
    std::uint32_t attributes = 0;
    std::uint64_t creation_time = 0;
    std::uint64_t access_time = 0;
    std::uint64_t write_time = 0;
};

// An open search; the layer owns it until find_close.
struct DirSearch;
// Starts a search over `mask` (a folder, then a name that may hold "*" and "?"); null on failure
// (no match at all reports FileError::not_found).
DirSearch* find_first(std::u16string_view mask, DirEntryInfo& entry);
// False at the end (FileError::no_more_files) or on failure.
bool find_next(DirSearch* search, DirEntryInfo& entry);
void find_close(DirSearch* search);

}  // namespace kub::os

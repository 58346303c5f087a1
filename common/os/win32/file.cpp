#include <windows.h>

#include <share.h>

#include <memory>

#include "common/os/os_file.h"
#include "common/os/win32/wide_cast.h"

namespace kub::os {
namespace {

// The API wants terminated strings; views are not.
std::u16string terminated(std::u16string_view text) {
    return std::u16string(text);
}

const wchar_t* wide(const std::u16string& text) {
    return as_wcstr(text.c_str());
}

HANDLE to_handle(NativeFile file) {
    return reinterpret_cast<HANDLE>(file);
}
NativeFile from_handle(HANDLE handle) {
    return reinterpret_cast<NativeFile>(handle);
}

std::uint64_t from_file_time(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void fill_entry(const WIN32_FIND_DATAW& data, DirEntryInfo& entry) {
    entry.name = as_u16cstr(data.cFileName);
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.attributes = data.dwFileAttributes;
    entry.creation_time = from_file_time(data.ftCreationTime);
    entry.access_time = from_file_time(data.ftLastAccessTime);
    entry.write_time = from_file_time(data.ftLastWriteTime);
}

}  // namespace

struct DirSearch {
    HANDLE handle = INVALID_HANDLE_VALUE;
};

FileError last_file_error() {
    switch (::GetLastError()) {
        case ERROR_SUCCESS:
            return FileError::none;
        case ERROR_FILE_NOT_FOUND:
            return FileError::not_found;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_INVALID_DRIVE:
            return FileError::path_not_found;
        case ERROR_NO_MORE_FILES:
            return FileError::no_more_files;
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return FileError::already_exists;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return FileError::access_denied;
        case ERROR_LOCK_VIOLATION:
            return FileError::lock_violation;
        case ERROR_BROKEN_PIPE:
            return FileError::broken_pipe;
        case ERROR_NOT_SUPPORTED:
        case ERROR_CALL_NOT_IMPLEMENTED:
            return FileError::unsupported;
        default:
            return FileError::other;
    }
}

NativeFile open_file(std::u16string_view path, const OpenOptions& options) {
    const DWORD access = options.access == FileAccess::read    ? GENERIC_READ
                         : options.access == FileAccess::write ? GENERIC_WRITE
                                                               : GENERIC_READ | GENERIC_WRITE;
    const DWORD share = FILE_SHARE_READ | (options.share_write ? FILE_SHARE_WRITE : 0);
    const DWORD flags = options.sequential_hint ? FILE_FLAG_SEQUENTIAL_SCAN : 0;
    const std::u16string name = terminated(path);
    const HANDLE handle =
        ::CreateFileW(wide(name), access, share, nullptr, OPEN_EXISTING, flags, nullptr);
    return handle == INVALID_HANDLE_VALUE ? kInvalidFile : from_handle(handle);
}

NativeFile create_file(std::u16string_view path) {
    const std::u16string name = terminated(path);
    const HANDLE handle = ::CreateFileW(wide(name), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? kInvalidFile : from_handle(handle);
}

NativeFile create_new_file(std::u16string_view path) {
    const std::u16string name = terminated(path);
    const HANDLE handle = ::CreateFileW(wide(name), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? kInvalidFile : from_handle(handle);
}

bool close_file(NativeFile file) {
    return ::CloseHandle(to_handle(file)) != FALSE;
}

bool read_file(NativeFile file, void* buffer, std::size_t size, std::size_t& done) {
    done = 0;
    DWORD got = 0;
    const DWORD ask = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(size);
    if (!::ReadFile(to_handle(file), buffer, ask, &got, nullptr)) return false;
    done = got;
    return true;
}

bool write_file(NativeFile file, const void* buffer, std::size_t size, std::size_t& done) {
    done = 0;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    while (done < size) {
        const std::size_t left = size - done;
        const DWORD ask = left > 0x40000000u ? 0x40000000u : static_cast<DWORD>(left);
        DWORD put = 0;
        if (!::WriteFile(to_handle(file), bytes + done, ask, &put, nullptr)) return false;
        if (put == 0) {
            ::SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        done += put;
    }
    return true;
}

bool seek_file(NativeFile file, std::int64_t offset, SeekMethod method, std::int64_t& position) {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER result;
    if (!::SetFilePointerEx(to_handle(file), distance, &result, static_cast<DWORD>(method))) {
        return false;
    }
    position = result.QuadPart;
    return true;
}

FileType file_type(NativeFile file) {
    switch (::GetFileType(to_handle(file))) {
        case FILE_TYPE_DISK:
            return FileType::disk;
        case FILE_TYPE_CHAR:
            return FileType::character;
        case FILE_TYPE_PIPE:
            return FileType::pipe;
        default:
            return FileType::unknown;
    }
}

NativeFile standard_input() {
    return from_handle(::GetStdHandle(STD_INPUT_HANDLE));
}
NativeFile standard_output() {
    return from_handle(::GetStdHandle(STD_OUTPUT_HANDLE));
}

std::FILE* open_stream(std::u16string_view path, const char* mode) {
    std::wstring wide_mode;
    for (const char* c = mode; *c != '\0'; ++c) wide_mode += static_cast<wchar_t>(*c);
    const std::u16string name = terminated(path);
    return ::_wfsopen(wide(name), wide_mode.c_str(), _SH_DENYNO);
}

std::uint32_t get_attributes(std::u16string_view path) {
    const std::u16string name = terminated(path);
    return ::GetFileAttributesW(wide(name));
}

bool set_attributes(std::u16string_view path, std::uint32_t attributes) {
    const std::u16string name = terminated(path);
    return ::SetFileAttributesW(wide(name), attributes) != FALSE;
}

bool delete_file(std::u16string_view path) {
    const std::u16string name = terminated(path);
    return ::DeleteFileW(wide(name)) != FALSE;
}

bool rename_file(std::u16string_view from, std::u16string_view to) {
    const std::u16string source = terminated(from);
    const std::u16string target = terminated(to);
    return ::MoveFileW(wide(source), wide(target)) != FALSE;
}

bool create_directory(std::u16string_view path) {
    const std::u16string name = terminated(path);
    return ::CreateDirectoryW(wide(name), nullptr) != FALSE;
}

bool remove_directory(std::u16string_view path) {
    const std::u16string name = terminated(path);
    return ::RemoveDirectoryW(wide(name)) != FALSE;
}

bool move_at_restart(std::u16string_view from, std::u16string_view to) {
    const std::u16string source = terminated(from);
    const std::u16string target = terminated(to);
    const DWORD flags = MOVEFILE_DELAY_UNTIL_REBOOT | (to.empty() ? 0 : MOVEFILE_REPLACE_EXISTING);
    return ::MoveFileExW(wide(source), to.empty() ? nullptr : wide(target), flags) != FALSE;
}

bool free_space(std::u16string_view folder, std::uint64_t& available, std::uint64_t& total) {
    available = total = 0;
    const std::u16string name = terminated(folder);
    ULARGE_INTEGER caller_free;
    ULARGE_INTEGER volume_total;
    if (!::GetDiskFreeSpaceExW(folder.empty() ? nullptr : wide(name), &caller_free, &volume_total,
                               nullptr)) {
        return false;
    }
    available = caller_free.QuadPart;
    total = volume_total.QuadPart;
    return true;
}

std::u16string temp_path() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH) return {};
    return std::u16string(as_u16cstr(buffer), length);
}

bool set_current_directory(std::u16string_view path) {
    const std::u16string name = terminated(path);
    return ::SetCurrentDirectoryW(wide(name)) != FALSE;
}

std::u16string current_directory() {
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return {};
    std::u16string folder(needed, u'\0');
    const DWORD length = ::GetCurrentDirectoryW(needed, as_wcstr(folder.data()));
    folder.resize(length < needed ? length : 0);
    return folder;
}

DirSearch* find_first(std::u16string_view mask, DirEntryInfo& entry) {
    const std::u16string name = terminated(mask);
    WIN32_FIND_DATAW data;
    const HANDLE handle = ::FindFirstFileW(wide(name), &data);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    fill_entry(data, entry);
    auto search = std::make_unique<DirSearch>();
    search->handle = handle;
    return search.release();
}

bool find_next(DirSearch* search, DirEntryInfo& entry) {
    if (search == nullptr) {
        ::SetLastError(ERROR_NO_MORE_FILES);
        return false;
    }
    WIN32_FIND_DATAW data;
    if (!::FindNextFileW(search->handle, &data)) return false;
    fill_entry(data, entry);
    return true;
}

void find_close(DirSearch* search) {
    if (search == nullptr) return;
    ::FindClose(search->handle);
    delete search;
}

}  // namespace kub::os

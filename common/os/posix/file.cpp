#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "common/time/common_time.h"
#include "common/os/os_file.h"
#include "common/os/posix/native_path.h"

namespace kub::os {
namespace {

thread_local FileError g_last_error = FileError::none;

FileError error_from_errno(int code) {
    switch (code) {
        case 0:
            return FileError::none;
        case ENOENT:
            return FileError::not_found;
        case ENOTDIR:
            return FileError::path_not_found;
        case EEXIST:
        case ENOTEMPTY:
            return FileError::already_exists;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
            return FileError::access_denied;
        case EPIPE:
            return FileError::broken_pipe;
        case ENOSYS:
        case ENOTSUP:
            return FileError::unsupported;
        default:
            return FileError::other;
    }
}

// Records the failure of the call just made and returns false, for `return fail();`.
bool fail() {
    g_last_error = error_from_errno(errno);
    return false;
}

bool succeed() {
    g_last_error = FileError::none;
    return true;
}

// The layer works on absent folders as the system does: ENOENT for a missing parent means a
// missing path, not a missing file.
FileError missing_kind(const std::string& native) {
    const auto slash = native.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return FileError::not_found;
    struct stat st {};
    if (::stat(native.substr(0, slash).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return FileError::path_not_found;
    }
    return FileError::not_found;
}

bool fail_on_path(const std::string& native) {
    const int code = errno;
    g_last_error = code == ENOENT ? missing_kind(native) : error_from_errno(code);
    return false;
}

std::uint64_t to_file_time(const timespec& t) {
    const CommonTime seconds = time_from_unix(t.tv_sec);
    return seconds == 0 ? 0 : seconds + static_cast<std::uint64_t>(t.tv_nsec) / 100;
}

std::uint32_t attributes_of(const struct stat& st, bool is_link) {
    std::uint32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= kAttrReadOnly;
    if (is_link) attributes |= kAttrReparsePoint;
    return attributes;
}

// Fills `entry` from the file at `native`; a link reports its target with the reparse flag.
bool describe(const std::string& native, std::u16string name, DirEntryInfo& entry) {
    struct stat st {};
    if (::lstat(native.c_str(), &st) != 0) return fail_on_path(native);
    const bool is_link = S_ISLNK(st.st_mode);
    if (is_link) {
        struct stat target {};
        if (::stat(native.c_str(), &target) == 0) st = target;
    }
    entry.name = std::move(name);
    entry.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.attributes = attributes_of(st, is_link);
    entry.creation_time = to_file_time(st.st_ctim);
    entry.access_time = to_file_time(st.st_atim);
    entry.write_time = to_file_time(st.st_mtim);
    return succeed();
}

char16_t fold(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

// Matches as the system's directory search does: "*" any run, "?" one character, ASCII letters
// without regard to case, and "*.*" everything.
bool wildcard_match(std::u16string_view pattern, std::u16string_view name) {
    if (pattern == u"*.*") pattern = u"*";
    std::size_t p = 0, n = 0, star = std::u16string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == u'?' || fold(pattern[p]) == fold(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

}  // namespace

struct DirSearch {
    DIR* dir = nullptr;  // null for a search without wildcards, which has its one entry
    std::string folder;  // with a trailing "/", or empty for the current folder
    std::u16string pattern;
};

FileError last_file_error() {
    return g_last_error;
}

NativeFile open_file(std::u16string_view path, const OpenOptions& options) {
    const std::string native = posix::to_native_path(path);
    int flags = O_CLOEXEC;
    flags |= options.access == FileAccess::read    ? O_RDONLY
             : options.access == FileAccess::write ? O_WRONLY
                                                   : O_RDWR;
    const int fd = ::open(native.c_str(), flags);
    if (fd < 0) {
        fail_on_path(native);
        return kInvalidFile;
    }
    // The system refuses to open a folder as a file; so do we.
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        g_last_error = FileError::access_denied;
        return kInvalidFile;
    }
    if (options.sequential_hint) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    succeed();
    return fd;
}

NativeFile create_file(std::u16string_view path) {
    const std::string native = posix::to_native_path(path);
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        fail_on_path(native);
        return kInvalidFile;
    }
    succeed();
    return fd;
}

NativeFile create_new_file(std::u16string_view path) {
    const std::string native = posix::to_native_path(path);
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        fail_on_path(native);
        return kInvalidFile;
    }
    succeed();
    return fd;
}

bool close_file(NativeFile file) {
    if (::close(static_cast<int>(file)) != 0) return fail();
    return succeed();
}

bool read_file(NativeFile file, void* buffer, std::size_t size, std::size_t& done) {
    done = 0;
    ssize_t n;
    do {
        n = ::read(static_cast<int>(file), buffer, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return fail();
    done = static_cast<std::size_t>(n);
    return succeed();
}

bool write_file(NativeFile file, const void* buffer, std::size_t size, std::size_t& done) {
    done = 0;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    while (done < size) {
        const ssize_t n = ::write(static_cast<int>(file), bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return fail();
        }
        done += static_cast<std::size_t>(n);
    }
    return succeed();
}

bool seek_file(NativeFile file, std::int64_t offset, SeekMethod method, std::int64_t& position) {
    const int whence = method == SeekMethod::begin     ? SEEK_SET
                       : method == SeekMethod::current ? SEEK_CUR
                                                       : SEEK_END;
    const off_t result = ::lseek(static_cast<int>(file), static_cast<off_t>(offset), whence);
    if (result < 0) return fail();
    position = result;
    return succeed();
}

FileType file_type(NativeFile file) {
    struct stat st {};
    if (::fstat(static_cast<int>(file), &st) != 0) return FileType::unknown;
    if (S_ISCHR(st.st_mode)) return FileType::character;
    if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)) return FileType::pipe;
    return FileType::disk;
}

NativeFile standard_input() {
    return STDIN_FILENO;
}
NativeFile standard_output() {
    return STDOUT_FILENO;
}

std::FILE* open_stream(std::u16string_view path, const char* mode) {
    const std::string native = posix::to_native_path(path);
    std::FILE* stream = std::fopen(native.c_str(), mode);
    if (stream == nullptr) {
        fail_on_path(native);
    } else {
        succeed();
    }
    return stream;
}

std::uint32_t get_attributes(std::u16string_view path) {
    DirEntryInfo entry;
    if (!describe(posix::to_native_path(path), {}, entry)) return kInvalidAttributes;
    return entry.attributes;
}

bool set_attributes(std::u16string_view path, std::uint32_t attributes) {
    const std::string native = posix::to_native_path(path);
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0) return fail_on_path(native);
    mode_t mode = st.st_mode & 07777;
    mode =
        (attributes & kAttrReadOnly) != 0 ? mode & ~(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
    if (::chmod(native.c_str(), mode) != 0) return fail();
    return succeed();
}

bool delete_file(std::u16string_view path) {
    const std::string native = posix::to_native_path(path);
    struct stat st {};
    if (::lstat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        g_last_error = FileError::access_denied;
        return false;
    }
    if (::unlink(native.c_str()) != 0) return fail_on_path(native);
    return succeed();
}

bool rename_file(std::u16string_view from, std::u16string_view to) {
    const std::string native_from = posix::to_native_path(from);
    const std::string native_to = posix::to_native_path(to);
    // The system's rename never replaces an existing file.
    struct stat st {};
    if (::lstat(native_to.c_str(), &st) == 0) {
        g_last_error = FileError::already_exists;
        return false;
    }
    if (::rename(native_from.c_str(), native_to.c_str()) != 0) return fail_on_path(native_from);
    return succeed();
}

bool create_directory(std::u16string_view path) {
    const std::string native = posix::to_native_path(path);
    if (::mkdir(native.c_str(), 0777) != 0) return fail_on_path(native);
    return succeed();
}

bool remove_directory(std::u16string_view path) {
    const std::string native = posix::to_native_path(path);
    if (::rmdir(native.c_str()) != 0) return fail_on_path(native);
    return succeed();
}

bool move_at_restart(std::u16string_view, std::u16string_view) {
    // There is no restart-time file operation to hand this to.
    g_last_error = FileError::unsupported;
    return false;
}

bool free_space(std::u16string_view folder, std::uint64_t& available, std::uint64_t& total) {
    available = total = 0;
    std::string native = posix::to_native_path(folder);
    if (native.empty()) native = ".";
    struct statvfs vfs {};
    if (::statvfs(native.c_str(), &vfs) != 0) return fail_on_path(native);
    available = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    total = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    return succeed();
}

std::u16string temp_path() {
    const char* dir = std::getenv("TMPDIR");
    std::u16string path = posix::from_native_name(dir != nullptr && *dir != '\0' ? dir : "/tmp");
    if (path.back() != u'/') path += u'/';
    return path;
}

bool set_current_directory(std::u16string_view path) {
    const std::string native = posix::to_native_path(path);
    if (::chdir(native.c_str()) != 0) return fail_on_path(native);
    return succeed();
}

std::u16string current_directory() {
    std::string buffer(4096, '\0');
    if (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        fail();
        return {};
    }
    buffer.resize(buffer.find('\0'));
    return posix::from_native_name(buffer);
}

DirSearch* find_first(std::u16string_view mask, DirEntryInfo& entry) {
    const std::string native = posix::to_native_path(mask);
    const auto slash = native.find_last_of('/');
    auto search = std::make_unique<DirSearch>();
    search->folder = slash == std::string::npos ? std::string() : native.substr(0, slash + 1);
    const std::string pattern = slash == std::string::npos ? native : native.substr(slash + 1);
    search->pattern = posix::from_native_name(pattern);

    if (pattern.find_first_of("*?") == std::string::npos) {
        if (pattern.empty()) {
            g_last_error = FileError::not_found;
            return nullptr;
        }
        if (!describe(native, search->pattern, entry)) return nullptr;
        return search.release();
    }
    search->dir = ::opendir(search->folder.empty() ? "." : search->folder.c_str());
    if (search->dir == nullptr) {
        fail();
        if (g_last_error == FileError::not_found) g_last_error = FileError::path_not_found;
        return nullptr;
    }
    if (!find_next(search.get(), entry)) {
        if (g_last_error == FileError::no_more_files) g_last_error = FileError::not_found;
        find_close(search.release());
        return nullptr;
    }
    return search.release();
}

bool find_next(DirSearch* search, DirEntryInfo& entry) {
    if (search == nullptr || search->dir == nullptr) {
        g_last_error = FileError::no_more_files;
        return false;
    }
    for (;;) {
        errno = 0;
        const dirent* item = ::readdir(search->dir);
        if (item == nullptr) {
            if (errno != 0) return fail();
            g_last_error = FileError::no_more_files;
            return false;
        }
        std::u16string name = posix::from_native_name(item->d_name);
        if (!wildcard_match(search->pattern, name)) continue;
        // An entry that vanished between listing and stat is skipped, as if never listed.
        if (describe(search->folder + item->d_name, std::move(name), entry)) return true;
    }
}

void find_close(DirSearch* search) {
    if (search == nullptr) return;
    if (search->dir != nullptr) ::closedir(search->dir);
    delete search;
}

}  // namespace kub::os

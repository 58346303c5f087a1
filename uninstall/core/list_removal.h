#pragma once
// Removing what the uninstall list names, in passes: a pass goes through the whole list, and
// the list is gone through again as long as a pass removed something, so a folder listed before
// its files goes once they are gone. A file in use is renamed to a free "<path>.<n>.tmp" name
// and left to the next system start; the running program and the list itself are left for the
// batch file that runs after the program has exited.
#include <cstdint>
#include <string>
#include <string_view>

#include "uninstall/core/uninstall_list.h"

namespace kub::setup {

// The numbers tried for the name of a file left to the next start: 0 to kRestartNameCount - 1.
inline constexpr unsigned kRestartNameCount = 1000;

// The file operations the passes use; the real ones go to the system, tests replace some.
class RemovalFileSystem {
  public:
    virtual ~RemovalFileSystem() = default;
    virtual std::uint32_t attributes(std::u16string_view path);
    virtual bool set_attributes(std::u16string_view path, std::uint32_t attributes);
    virtual bool remove_folder(std::u16string_view path);
    // True when the file was deleted; `missing` tells a file that was not there.
    virtual bool delete_file(std::u16string_view path, bool& missing);
    virtual bool exists(std::u16string_view path);
    virtual bool rename(std::u16string_view from, std::u16string_view to);
    virtual bool delete_at_restart(std::u16string_view path);
};

// "<path>.<n>.tmp" for the lowest n below kRestartNameCount that names nothing; when every one
// is taken, the last one tried.
std::u16string restart_name(std::u16string_view path, RemovalFileSystem& files);

struct RemovalResult {
    unsigned removed = 0;         // files and folders removed, over all passes
    unsigned passes = 0;
    bool restart_needed = false;  // something was left to the next system start
};

// `program_folder` with its trailing separator; `program_name` the running program's file name.
RemovalResult remove_listed_entries(UninstallListReader& list, std::u16string_view program_folder,
                                    std::u16string_view program_name, RemovalFileSystem& files);

}  // namespace kub::setup

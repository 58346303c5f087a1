#include "shellext/core/commands/launch_record.h"

#include "common/files/file_helpers.h"
#include "common/os/os.h"

namespace kub {

void discard_launch_leftovers(LaunchRecord& record) {
    if (!record.list_file.empty()) delete_file(record.list_file);
    if (!record.mail_folder.empty()) os::remove_directory(record.mail_folder);
    record.list_file.clear();
    record.mail_folder.clear();
}

}  // namespace kub

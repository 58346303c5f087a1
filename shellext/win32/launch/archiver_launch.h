#pragma once
// Starting the archiver through the shell.
#include "shellext/core/commands/launch_record.h"

namespace kub {

// ShellExecuteExW with the record's file, parameters and working folder, shown normally. With
// wait, the process is waited for without time limit. True when it was started.
bool launch_archiver(const LaunchRecord& record);

}  // namespace kub

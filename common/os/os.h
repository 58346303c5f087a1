#pragma once
// The operating-system layer: the only door from portable code to the system. Each header below
// declares plain functions; common/os/win32 and common/os/posix implement them, chosen at build
// time. Wide text crosses this boundary as char16_t.
#include "common/os/os_process.h"
#include "common/os/os_time.h"
#include "common/os/os_file.h"
#include "common/os/os_text.h"
#include "common/os/os_registry.h"
#include "common/os/os_module.h"
#include "common/os/os_environment.h"
#include "common/os/os_memory_protection.h"
#include "common/os/os_shell_path.h"

#include "shellext/core/commands/command_table.h"

namespace kub {

SharedCommandTable CommandTable;

void SharedCommandTable::assign(const CommandTableState& table, std::int32_t profile_count) {
    std::lock_guard<std::mutex> hold(lock_);
    recorded_.table = table;
    recorded_.profile_count = profile_count;
}

RecordedCommands SharedCommandTable::get() const {
    std::lock_guard<std::mutex> hold(lock_);
    return recorded_;
}

}  // namespace kub

#include "shellext/core/command_table.h"

namespace kub {

CommandTableState CommandTable;
std::int32_t ProfileCommandCount = 0;

}  // namespace kub

#include "shellext/core/module_state.h"

namespace kub {

std::int32_t ModuleRefCount = 0;
std::int32_t AnalysisBusy = 0;
std::u16string DropFolder;

}  // namespace kub

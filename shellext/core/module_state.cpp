#include "shellext/core/module_state.h"

namespace kub {

std::atomic<std::int32_t> ModuleRefCount{0};
std::atomic<std::int32_t> AnalysisBusy{0};
SharedPath DropFolder;

void SharedPath::assign(std::u16string_view path) {
    std::u16string copy(path);
    std::lock_guard<std::mutex> hold(lock_);
    path_.swap(copy);
}

std::u16string SharedPath::get() const {
    std::lock_guard<std::mutex> hold(lock_);
    return path_;
}

}  // namespace kub

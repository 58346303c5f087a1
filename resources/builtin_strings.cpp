#include "resources/builtin_strings.h"

#include <algorithm>

namespace kub {

const char16_t* find_builtin_string(unsigned id) {
    auto table = builtin_strings();
    auto it = std::lower_bound(table.begin(), table.end(), id,
                               [](const BuiltinString& s, unsigned key) { return s.id < key; });
    return (it != table.end() && it->id == id) ? it->text : nullptr;
}

}  // namespace kub

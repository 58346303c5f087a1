#pragma once
// The command kinds of the most recently built menu, shared by every object of the process:
// entry i belongs to the command whose identifier is the menu's first identifier plus i. Every
// menu query rebuilds it; invocation and the verb and help-text queries read it.
#include <array>
#include <cstdint>

namespace kub {

inline constexpr std::size_t kMaxMenuCommands = 128;

struct CommandTableState {
    std::array<std::int32_t, kMaxMenuCommands> kinds{};
    std::int32_t count = 0;
};

extern CommandTableState CommandTable;
// Profile commands placed in the last menu (switched-off ones included), so kind 11 + k always
// means the k-th menu profile.
extern std::int32_t ProfileCommandCount;

}  // namespace kub

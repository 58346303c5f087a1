#pragma once
// The command kinds of the most recently built menu, shared by every object of the process:
// entry i belongs to the command whose identifier is the menu's first identifier plus i. Every
// menu query rebuilds it; invocation and the verb and help-text queries read it. Menu queries
// and invocations of different windows run on different threads, so the table is replaced and
// read whole, under a lock.
#include <array>
#include <cstdint>
#include <mutex>

namespace kub {

inline constexpr std::size_t kMaxMenuCommands = 128;

struct CommandTableState {
    std::array<std::int32_t, kMaxMenuCommands> kinds{};
    std::int32_t count = 0;
};

// CommandTable with the ProfileCommandCount of the same menu: profile commands placed in it
// (switched-off ones included), so kind 11 + k always means the k-th menu profile.
struct RecordedCommands {
    CommandTableState table;
    std::int32_t profile_count = 0;
};

class SharedCommandTable {
  public:
    void assign(const CommandTableState& table, std::int32_t profile_count);
    RecordedCommands get() const;

  private:
    mutable std::mutex lock_;
    RecordedCommands recorded_;
};

extern SharedCommandTable CommandTable;

}  // namespace kub

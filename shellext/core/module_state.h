#pragma once
// Module-wide state of the shell extension: one instance per loaded library, shared by every
// object of the process. Each object is called on the apartment thread that created it, but
// Explorer runs many such threads (one per window, one per properties dialog), so every value
// here is read and written whole: counters atomically, the drop folder under a lock.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace kub {

// Live extension objects, class factories and property pages; the library may be unloaded only
// while it is 0. The property pages hand its address to the shell as a plain 32-bit counter.
extern std::atomic<std::int32_t> ModuleRefCount;
static_assert(sizeof(std::atomic<std::int32_t>) == sizeof(std::int32_t) &&
              std::atomic<std::int32_t>::is_always_lock_free);

// Non-zero while a property page analyses an archive; every other entry point then returns at
// once, so a nested message loop cannot re-enter the analysis.
extern std::atomic<std::int32_t> AnalysisBusy;

// A path that one thread replaces while others read it: readers get a copy made under the lock,
// never a string another thread is reallocating.
class SharedPath {
  public:
    void assign(std::u16string_view path);
    std::u16string get() const;

  private:
    mutable std::mutex lock_;
    std::u16string path_;
};

// File-system path of the folder given to the most recent Initialize (the folder a right-drag
// ends on), at most kMaxPathLength units; empty when that call had no folder.
extern SharedPath DropFolder;

}  // namespace kub

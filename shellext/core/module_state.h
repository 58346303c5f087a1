#pragma once
// Module-wide state of the shell extension: one instance per loaded library, shared by every
// object of the process. Explorer calls each object on the apartment thread that created it, so
// these are plain variables without locks.
#include <cstdint>
#include <string>

namespace kub {

// Live extension objects, class factories and property pages; the library may be unloaded only
// while it is 0.
extern std::int32_t ModuleRefCount;

// Non-zero while a property page analyses an archive; every other entry point then returns at
// once, so a nested message loop cannot re-enter the analysis.
extern std::int32_t AnalysisBusy;

// File-system path of the folder given to the most recent Initialize (the folder a right-drag
// ends on), at most kMaxPathLength units; empty when that call had no folder.
extern std::u16string DropFolder;

}  // namespace kub

#pragma once
// Files dropped onto an archive's icon are added to (with Shift: moved into) that archive.
#include <cstdint>
#include <string_view>

#include "shellext/core/commands/launch_record.h"
#include "shellext/core/selection/selection_state.h"

namespace kub {

// The platform's drop effects and key-state bits.
inline constexpr std::uint32_t kDropEffectNone = 0;
inline constexpr std::uint32_t kDropEffectCopy = 1;
inline constexpr std::uint32_t kDropEffectMove = 2;
inline constexpr std::uint32_t kKeyLeftButton = 1;
inline constexpr std::uint32_t kKeyShift = 4;

// Room for the switches and the archive name on top of the dropped paths' share.
inline constexpr std::size_t kDropLineExtra = 1024;

// The effect shown while dragging over the archive: move with Shift when allowed, else copy,
// else move; none when nothing fits or the left button is not the one dragging.
std::uint32_t drop_effect(std::uint32_t key_state, std::uint32_t allowed);

// The add start for the dropped files now in `selection`, onto `archive` (DropTargetPath): the
// default profile, "-ag- ", working folder the archive's folder. False when the line cannot be
// built.
bool build_drop_command(SelectionState& selection, std::u16string_view archive,
                        std::uint32_t key_state, std::uint32_t allowed, LaunchRecord& out);

}  // namespace kub

#pragma once
// The menu's vocabulary: one number per command, with the setting that switches it on, its menu
// text, its verb and its help text. Kinds 0 to 10 are fixed; the k-th menu profile is kind 11 + k.
#include <cstdint>
#include <string>

#include "shellext/settings/shell_settings.h"

namespace kub {

enum CommandKind : std::int32_t {
    kExtractTo = 0,        // extract through the archiver's options dialog
    kExtractHere = 1,      // into the archive's own folder
    kExtractNamed = 2,     // into a folder named after the archive
    kExtractSeparate = 3,  // each archive into its own folder
    kOpenSfx = 4,          // open a self-extracting file in the archiver
    kAddTo = 5,            // add through the options dialog
    kAddArchive = 6,       // add to the derived archive name
    kEmailArchive = 7,     // compress to the derived name and send by e-mail
    kEmailOptions = 8,     // compress through the options dialog and send by e-mail
    kTest = 9,
    kConvert = 10,
    kFirstProfileKind = 11,
};

struct CommandInfo {
    DwordSetting setting;
    unsigned text_id;
    const char* verb;
    unsigned help_id;
};

// Help text of every profile command.
inline constexpr unsigned kProfileHelpId = 4129;
// Profile verbs are formatted into a buffer of this many units.
inline constexpr std::size_t kProfileVerbCapacity = 50;

// The fixed command `kind` (0 to 10).
const CommandInfo& command_info(std::int32_t kind);

bool is_profile_kind(std::int32_t kind, std::int32_t profile_count);

// "Korvex_ExtractTo" ... or "Korvex_Profile<k>"; empty for a kind that is neither.
std::string command_verb(std::int32_t kind, std::int32_t profile_count);
// 0 for a kind that is neither fixed nor a placed profile.
unsigned command_help_id(std::int32_t kind, std::int32_t profile_count);

}  // namespace kub

#include "shellext/core/commands/command_kind.h"

#include <array>

namespace kub {
namespace {

namespace S = ShellSettings;

// The options-dialog extraction answers "Korvex_ExtractTo" and the extraction into the named
// folder "Korvex_Extract": scripts that call the verbs rely on this pairing.
const std::array<CommandInfo, 11> kCommands = {{
    {S::kExtrTo, 4100, "Korvex_ExtractTo", 4104},
    {S::kExtrHere, 4102, "Korvex_ExtractHere", 4106},
    {S::kExtr, 4101, "Korvex_Extract", 4105},
    {S::kExtrSep, 4103, "Korvex_ExtractSeparate", 4107},
    {S::kOpenSfx, 4112, "Korvex_OpenSFX", 4113},
    {S::kAddTo, 4108, "Korvex_AddTo", 4109},
    {S::kAddArc, 4110, "Korvex_Add", 4111},
    {S::kEmailArc, 4124, "Korvex_EmailArc", 4125},
    {S::kEmailOpt, 4125, "Korvex_EmailArcTo", 4125},
    {S::kTest, 4126, "Korvex_Test", 4127},
    {S::kConvert, 4128, "Korvex_Convert", 4128},
}};

}  // namespace

const CommandInfo& command_info(std::int32_t kind) {
    return kCommands.at(static_cast<std::size_t>(kind));
}

bool is_profile_kind(std::int32_t kind, std::int32_t profile_count) {
    return kind >= kFirstProfileKind && kind - kFirstProfileKind < profile_count;
}

std::string command_verb(std::int32_t kind, std::int32_t profile_count) {
    if (is_profile_kind(kind, profile_count)) {
        std::string verb = "Korvex_Profile" + std::to_string(kind - kFirstProfileKind);
        if (verb.size() >= kProfileVerbCapacity) verb.resize(kProfileVerbCapacity - 1);
        return verb;
    }
    if (kind < 0 || kind >= kFirstProfileKind) return {};
    return command_info(kind).verb;
}

unsigned command_help_id(std::int32_t kind, std::int32_t profile_count) {
    if (is_profile_kind(kind, profile_count)) return kProfileHelpId;
    if (kind < 0 || kind >= kFirstProfileKind) return 0;
    return command_info(kind).help_id;
}

}  // namespace kub

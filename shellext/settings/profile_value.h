#pragma once
// Values of the archiver's compression profiles ("Profiles\0", "Profiles\1", ... under the
// settings key). The list ends at the first profile without a name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kub {

// A profile value name with the default it reads as when missing; capacity (UTF-16 units with
// the terminator) for text values, 0 for numbers.
struct ProfileSetting {
    std::u16string_view name;
    std::uint32_t default_value;
    std::size_t capacity;
};

namespace ProfileSettings {

// The capacity of a name in the profile enumeration; a command that quotes the name reads it
// with kQuotedNameCapacity.
inline constexpr ProfileSetting kName{u"Name", 0, 512};
inline constexpr std::size_t kQuotedNameCapacity = 2048;
inline constexpr ProfileSetting kAddToMenu{u"AddToMenu", 0, 0};
inline constexpr ProfileSetting kDefault{u"Default", 0, 0};
inline constexpr ProfileSetting kImmExec{u"ImmExec", 0, 0};
inline constexpr ProfileSetting kArcName{u"ArcName", 0, 2048};
inline constexpr ProfileSetting kUseKub{u"UseKUB", 1, 0};
inline constexpr ProfileSetting kPathsAbs{u"PathsAbs", 0, 0};
inline constexpr ProfileSetting kPathsAbsDrive{u"PathsAbsDrive", 0, 0};
inline constexpr ProfileSetting kPathsNone{u"PathsNone", 0, 0};

}  // namespace ProfileSettings

// Selects the default profile.
inline constexpr std::int32_t kDefaultProfileSelector = -1;

// No more profiles than this are looked at, however many the registry holds.
inline constexpr std::int32_t kMaxProfileCount = 10000;

// The key of profile n, relative to the settings key.
std::u16string profile_key(std::int32_t n);

// Reads `name` from the profile the selector picks: kDefaultProfileSelector picks the first
// profile marked "Default"; k >= 0 the k-th profile offered in the menu ("AddToMenu" non-zero,
// in key order), the numbering the menu's profile commands use. When a profile matches and
// `text` is given, it receives the value as text of at most capacity - 2 units (empty when
// missing or longer). Returns the value as a DWORD, or the default; with no matching profile
// `text` is left untouched.
std::uint32_t ReadProfileValue(std::int32_t selector, std::u16string_view name,
                               std::u16string* text, std::size_t capacity,
                               std::uint32_t default_value);

}  // namespace kub

#pragma once
// Every registry value the extension reads, with its type, capacity and default. Nothing is
// cached: each read goes to the registry, so a changed setting applies at the next menu, command
// or page without restarting Explorer. Keys are relative to HKEY_CURRENT_USER "Software\Korvex".
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kub {

struct DwordSetting {
    std::u16string_view key;
    std::u16string_view name;
    std::uint32_t default_value;
};

// Strings default to empty. capacity counts UTF-16 units with the terminator: a stored text that
// does not fit reads as missing.
struct StringSetting {
    std::u16string_view key;
    std::u16string_view name;
    std::size_t capacity;
    bool expand_environment = false;
};

namespace ShellSettings {

inline constexpr std::u16string_view kMenuItemsKey = u"Setup\\MenuItems";

// Which commands the context menu offers.
inline constexpr DwordSetting kExtrTo{kMenuItemsKey, u"ExtrTo", 1};
inline constexpr DwordSetting kExtrHere{kMenuItemsKey, u"ExtrHere", 1};
inline constexpr DwordSetting kExtr{kMenuItemsKey, u"Extr", 1};
inline constexpr DwordSetting kExtrSep{kMenuItemsKey, u"ExtrSep", 1};
inline constexpr DwordSetting kOpenSfx{kMenuItemsKey, u"OpenSFX", 1};
inline constexpr DwordSetting kAddTo{kMenuItemsKey, u"AddTo", 1};
inline constexpr DwordSetting kAddArc{kMenuItemsKey, u"AddArc", 1};
inline constexpr DwordSetting kEmailArc{kMenuItemsKey, u"EmailArc", 1};
inline constexpr DwordSetting kEmailOpt{kMenuItemsKey, u"EmailOpt", 1};
inline constexpr DwordSetting kTest{kMenuItemsKey, u"Test", 0};
inline constexpr DwordSetting kConvert{kMenuItemsKey, u"Convert", 0};
inline constexpr DwordSetting kProfile{kMenuItemsKey, u"Profile", 1};
// Whether ".exe" files are opened to look for self-extracting archives, by drive type.
inline constexpr DwordSetting kSfxLocal{kMenuItemsKey, u"SFXLocal", 1};
inline constexpr DwordSetting kSfxNetwork{kMenuItemsKey, u"SFXNetwork", 1};
inline constexpr DwordSetting kSfxOther{kMenuItemsKey, u"SFXOther", 1};

inline constexpr DwordSetting kCascadedMenu{u"Setup", u"CascadedMenu", 0};
inline constexpr DwordSetting kMenuIcons{u"Setup", u"MenuIcons", 1};
// Further extensions to treat as archives.
inline constexpr StringSetting kCustomExt{u"Setup", u"CustomExt", 1024};

inline constexpr StringSetting kShellExtBmp{u"Interface\\Themes", u"ShellExtBMP", 2048};
inline constexpr StringSetting kShellExtIcon{u"Interface\\Themes", u"ShellExtIcon", 2048};
inline constexpr StringSetting kTempFolder{u"Paths", u"TempFolder", 2048, true};
inline constexpr DwordSetting kAllVolumes{u"FileList", u"AllVolumes", 1};
// Its capacity depends on the file looked for; the language folder rule reads it.
inline constexpr StringSetting kLanguageFolder{u"General", u"LanguageFolder", 2048};

}  // namespace ShellSettings

std::uint32_t read_setting(const DwordSetting& setting);
// The stored text, or empty; with expand_environment, expanded and cut to capacity - 1 units.
std::u16string read_setting(const StringSetting& setting);

}  // namespace kub

#pragma once
// The archiver's compiled help ("korvex.chm") through the system's help library, loaded on the
// first request. Every dialog of the program opens its topic on F1 and with its Help button.
#include <windows.h>

#include <optional>
#include <string_view>

namespace kub::setup {

inline constexpr std::u16string_view kSetupHelpTopic = u"HELPIntegrationSettings";
inline constexpr std::u16string_view kContextItemsHelpTopic = u"HELPContextItems";
// The Help buttons of every dialog carry this id.
inline constexpr int kHelpButtonId = 9;

// Opens `topic` (the page "html\<topic>.htm" in the help file), or the table of contents
// without one.
void show_help(HWND owner, std::optional<std::u16string_view> topic);

// Closes every help window and releases the help library; once, at exit.
void close_help();

// The help part of the common dialog preparation: F1 and the Help button open `topic`; a dialog
// without topic ignores them. True when the message was handled.
bool handle_help_message(HWND dialog, UINT message, WPARAM wparam,
                         std::optional<std::u16string_view> topic);

}  // namespace kub::setup

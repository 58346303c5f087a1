#pragma once
// The common dialog procedure of the setup program: the preparation every dialog shares (the
// language file's translation and direction, F1 and the Help button opening the dialog's topic),
// then the dialog's own opening and commands. Nothing escapes it: a failure leaves the message
// unhandled.
#include <windows.h>

#include <optional>
#include <string_view>

namespace kub::setup {

struct DialogBehaviour {
    std::u16string_view resource_name;
    std::optional<std::u16string_view> help_topic;
    void (*initialise)(HWND dialog);
    void (*command)(HWND dialog, int id);
};

INT_PTR handle_dialog_message(const DialogBehaviour& behaviour, HWND dialog, UINT message,
                              WPARAM wparam);

}  // namespace kub::setup

#pragma once
// Setup mode: restart check, the settings dialog (which applies the integration), the completion
// dialog, the closing messages and the new program group.
namespace kub::setup {

void run_setup_mode();

}  // namespace kub::setup

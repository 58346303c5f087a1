#pragma once
// The completion dialog ("DONEDLG") after a successful setup: where the archiver went, the help
// and the vendor's home page.
namespace kub::setup {

void run_done_dialog();

}  // namespace kub::setup

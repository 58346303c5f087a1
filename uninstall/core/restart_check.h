#pragma once
// Whether a 64-bit shell extension file of an earlier installation is still held open by the
// shell, so that the new integration takes full effect only after a restart.
namespace kub::setup {

bool restart_needed();

}  // namespace kub::setup

#pragma once
// The batch file that removes the uninstall program and its folder once the program has exited:
// it waits through a second instance started with "/wait", tries five times to delete the
// program and remove the folder, starts the program with "/warning" if it is still there, and
// deletes itself.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kub::setup {

inline constexpr std::u16string_view kBatchFileName = u"Uninstall_Kub.Bat";
// Each formatted piece of the batch text is made in a buffer of this many characters.
inline constexpr std::size_t kBatchLineSize = 1024;
inline constexpr unsigned kBatchAttempts = 5;

// The whole text, lines ended by CR LF except the last. `program` is the uninstall program's
// full path, `folder` the program folder without its trailing separator, `batch` the batch
// file's own path. Nothing when a piece would not fit its buffer: a cut line would name another
// file.
std::optional<std::u16string> self_delete_batch_text(std::u16string_view program,
                                                     std::u16string_view folder,
                                                     std::u16string_view batch);

// The command line that runs the batch file through the command processor `comspec`.
std::u16string batch_command(std::u16string_view comspec, std::u16string_view batch);

}  // namespace kub::setup

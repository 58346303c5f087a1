#pragma once
// One start of the archiver as data: what the shell is asked to run, where, and whether the
// caller waits for it to end. Menu commands and drops never wait; the comment dump does.
#include <functional>
#include <string>

namespace kub {

struct LaunchRecord {
    std::u16string file;            // the archiver executable
    std::u16string parameters;
    std::u16string working_folder;  // empty: the shell's choice
    bool wait = false;
    // Temporary objects made for this start and left for the archiver: the list file of a long
    // selection, the folder of an e-mail archive. Empty when none was made.
    std::u16string list_file;
    std::u16string mail_folder;
};

// Starts the archiver as the record says; true when it was started (and, with wait, has ended).
using ArchiverLauncher = std::function<bool(const LaunchRecord&)>;

}  // namespace kub

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

// Removes the list file and e-mail folder made for a start that did not happen: no archiver will
// ever read or remove them.
void discard_launch_leftovers(LaunchRecord& record);

// Discards the record's leftovers at the end of the scope unless the archiver was started with
// them (keep()): covers refusals, failed starts and exceptions alike.
class LaunchLeftovers {
public:
    explicit LaunchLeftovers(LaunchRecord& record) : record_(record) {}
    ~LaunchLeftovers() {
        if (!kept_) discard_launch_leftovers(record_);
    }
    LaunchLeftovers(const LaunchLeftovers&) = delete;
    LaunchLeftovers& operator=(const LaunchLeftovers&) = delete;
    void keep() { kept_ = true; }

private:
    LaunchRecord& record_;
    bool kept_ = false;
};

}  // namespace kub

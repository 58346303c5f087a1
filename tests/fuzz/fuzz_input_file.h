#pragma once
// The readers take a file name: each fuzz input is written to one scratch file first, in the
// folder of FUZZ_SCRATCH_DIR or /dev/shm when there is one (memory, not disk), else the
// temporary folder. The files are named after the process, so parallel runs never share one,
// and are removed when the process ends normally.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <unistd.h>

#include "common/text/encoding.h"

namespace kub::fuzz {

class ScratchInput {
  public:
    explicit ScratchInput(const std::string& name) {
        const char* folder = std::getenv("FUZZ_SCRATCH_DIR");
        if (!folder) folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        // The process id in front keeps the name's extension, which readers look at.
        path_ = std::string(folder) + "/" + std::to_string(getpid()) + "-" + name;
        utf8_to_wide(path_, wide_);
    }
    ~ScratchInput() { std::remove(path_.c_str()); }
    ScratchInput(const ScratchInput&) = delete;
    ScratchInput& operator=(const ScratchInput&) = delete;

    const std::u16string& write(const std::uint8_t* data, std::size_t size) const {
        if (std::FILE* f = std::fopen(path_.c_str(), "wb")) {
            std::fwrite(data, 1, size, f);
            std::fclose(f);
        }
        return wide_;
    }

  private:
    std::string path_;
    std::u16string wide_;
};

// One scratch file per name, so a target may look at the same bytes under two names.
inline const std::u16string& input_file(const std::uint8_t* data, std::size_t size, const char* name) {
    static std::map<std::string, ScratchInput> files;
    auto found = files.find(name);
    if (found == files.end()) found = files.try_emplace(name, name).first;
    return found->second.write(data, size);
}

}  // namespace kub::fuzz

#pragma once
// The readers take a file name: each fuzz input is written to one scratch file first, in the
// folder of FUZZ_SCRATCH_DIR or /dev/shm when there is one (memory, not disk), else the
// temporary folder.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <unistd.h>

#include "common/text/encoding.h"

namespace kub::fuzz {

// One scratch file per name, so a target may look at the same bytes under two names.
inline const std::u16string& input_file(const std::uint8_t* data, std::size_t size, const char* name) {
    static std::map<std::string, std::pair<std::string, std::u16string>> files;
    auto& [path, wide] = files[name];
    if (path.empty()) {
        const char* folder = std::getenv("FUZZ_SCRATCH_DIR");
        if (!folder) folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        // The process id in front keeps the name's extension, which readers look at.
        path = std::string(folder) + "/" + std::to_string(getpid()) + "-" + name;
        utf8_to_wide(path, wide);
    }
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return wide;
}

}  // namespace kub::fuzz

#pragma once
// Directory scanning: the entries matching a mask, one at a time.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/os/os.h"

namespace kub {

struct FoundEntry {
    std::u16string path;  // the mask's folder followed by the entry's name
    std::uint64_t size = 0;
    std::uint32_t attributes = 0;
    // 100-nanosecond units since 1601-01-01 UTC, the common time type.
    std::uint64_t creation_time = 0;
    std::uint64_t access_time = 0;
    std::uint64_t write_time = 0;
    bool is_folder = false;
    bool is_reparse_point = false;
    // The search failed for another reason than nothing (more) to find.
    bool error = false;
};

class DirScanner {
  public:
    DirScanner() = default;
    DirScanner(const DirScanner&) = delete;
    DirScanner& operator=(const DirScanner&) = delete;
    ~DirScanner();

    // A folder followed by a name that may hold "*" and "?"; starts over.
    void SetMask(std::u16string_view mask);
    // The next entry other than "." and ".."; false at the end or on failure.
    bool Next(FoundEntry& entry);

  private:
    void CloseSearch();

    std::u16string mask_;
    os::DirSearch* search_ = nullptr;
    bool first_call_ = true;
};

// The entry a path without wildcards names; a path with wildcards fails without searching.
bool find_one_entry(std::u16string_view path, FoundEntry& entry);

}  // namespace kub

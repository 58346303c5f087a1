#include <windows.h>

#include <cstdint>

#include "common/os/os_time.h"

namespace kub::os {
namespace {

FILETIME to_file_time(std::uint64_t value) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(value);
    ft.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return ft;
}

std::uint64_t from_file_time(const FILETIME& ft) {
    return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// SYSTEMTIME keeps milliseconds only: the zone shift is measured on the system-time form and
// then applied to the full-precision value, so the 100 ns units below a millisecond survive.
template <typename Convert>
bool shift_by_zone(std::uint64_t from, std::uint64_t& to, Convert convert) {
    FILETIME ft = to_file_time(from);
    SYSTEMTIME before;
    SYSTEMTIME after;
    if (!::FileTimeToSystemTime(&ft, &before)) return false;
    if (!convert(&before, &after)) return false;
    FILETIME before_ft;
    FILETIME after_ft;
    if (!::SystemTimeToFileTime(&before, &before_ft) || !::SystemTimeToFileTime(&after, &after_ft))
        return false;
    std::int64_t shift =
        static_cast<std::int64_t>(from_file_time(after_ft) - from_file_time(before_ft));
    to = from + static_cast<std::uint64_t>(shift);
    return true;
}

}  // namespace

std::uint64_t system_time_now() {
    FILETIME ft;
    ::GetSystemTimeAsFileTime(&ft);
    return from_file_time(ft);
}

bool utc_to_local(std::uint64_t utc, std::uint64_t& local) {
    return shift_by_zone(utc, local, [](const SYSTEMTIME* in, SYSTEMTIME* out) {
        return ::SystemTimeToTzSpecificLocalTime(nullptr, in, out) != FALSE;
    });
}

bool local_to_utc(std::uint64_t local, std::uint64_t& utc) {
    return shift_by_zone(local, utc, [](const SYSTEMTIME* in, SYSTEMTIME* out) {
        return ::TzSpecificLocalTimeToSystemTime(nullptr, in, out) != FALSE;
    });
}

void sleep_milliseconds(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace kub::os

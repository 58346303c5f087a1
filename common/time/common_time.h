#pragma once
// The common time type and its conversions: a 64-bit count of 100-nanosecond units since
// 1601-01-01 UTC (the system's file time), Unix time, packed date-time and local broken-down time.
#include <cstdint>

namespace kub {

using CommonTime = std::uint64_t;

inline constexpr std::uint64_t kTimeUnitsPerSecond = 10000000;
// Common time of 1970-01-01 00:00:00 UTC.
inline constexpr CommonTime kUnixEpoch = 116444736000000000;

// A moment on the local wall clock.
struct LocalTime {
    unsigned year = 0;
    unsigned month = 0;  // 1 to 12
    unsigned day = 0;    // 1 to 31
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
    unsigned day_of_week = 0;     // 0 = Sunday
    unsigned day_of_year = 0;     // 0-based
    std::uint32_t remainder = 0;  // 100 ns units below the second

    bool operator==(const LocalTime&) const = default;
};

CommonTime time_now();

// seconds * 10^7 + kUnixEpoch; times before 1601 give 0 and times past the end of the type give
// its largest value.
CommonTime time_from_unix(std::int64_t seconds);

// The local wall-clock reading of a time, by the time-zone rules in force on that date. False
// (and all fields 0) when the system cannot convert it.
bool time_to_local(CommonTime time, LocalTime& local);

// The time of a local wall-clock reading (day_of_week and day_of_year are ignored), or 0 when the
// fields do not form a valid date and time.
CommonTime time_from_local(const LocalTime& local);

// Local time packed into 32 bits: bits 0-4 seconds / 2, 5-10 minute, 11-15 hour, 16-20 day,
// 21-24 month, 25-31 year - 1980. 0 for a time whose local year lies outside the years the
// packed form holds, or that cannot be converted.
inline constexpr unsigned kFirstPackedYear = 1980;
inline constexpr unsigned kLastPackedYear = 2107;
std::uint32_t time_to_packed(CommonTime time);
CommonTime time_from_packed(std::uint32_t packed);

}  // namespace kub

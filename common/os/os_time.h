#pragma once
// System time, local-time conversion and sleeping.
//
// Times here are counts of 100-nanosecond units since 1601-01-01: UTC for "utc", and the same
// count read on the local wall clock for "local". Conversions use the time-zone rules in force on
// the date converted, not those of today.
#include <cstdint>

namespace kub::os {

// The current system time (UTC).
std::uint64_t system_time_now();

// Wall-clock reading of a UTC time in the local time zone. False when the system cannot convert
// it (out of the system's range).
bool utc_to_local(std::uint64_t utc, std::uint64_t& local);

// UTC time of a local wall-clock reading. False when the system cannot convert it.
bool local_to_utc(std::uint64_t local, std::uint64_t& utc);

// Suspends the calling thread.
void sleep_milliseconds(std::uint32_t milliseconds);

}  // namespace kub::os

#include <errno.h>
#include <stdlib.h>
#include <time.h>

#include <cstdint>
#include <limits>

#include "common/os/os_time.h"

namespace kub::os {
namespace {

constexpr std::uint64_t kUnitsPerSecond = 10000000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kUnixEpochSeconds = 11644473600;

static_assert(sizeof(time_t) == 8, "times beyond 2038 need a 64-bit time_t");

// Without TZ the C library re-examines /etc/localtime at every mktime, which dominated listing
// large archives. Naming that same file explicitly gives the same zone and lets it stay loaded.
// TZ may still change while the process runs (tests switch it), so this runs before each use.
void settle_zone() {
    const char* zone = ::getenv("TZ");
    if (zone == nullptr) ::setenv("TZ", ":/etc/localtime", 1);
    ::tzset();
}

}  // namespace

std::uint64_t system_time_now() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::uint64_t>(now.tv_sec + kUnixEpochSeconds) * kUnitsPerSecond +
           static_cast<std::uint64_t>(now.tv_nsec) / 100;
}

bool utc_to_local(std::uint64_t utc, std::uint64_t& local) {
    settle_zone();
    time_t seconds = static_cast<time_t>(utc / kUnitsPerSecond) - kUnixEpochSeconds;
    tm fields{};
    if (::localtime_r(&seconds, &fields) == nullptr) return false;
    std::int64_t shift =
        static_cast<std::int64_t>(fields.tm_gmtoff) * static_cast<std::int64_t>(kUnitsPerSecond);
    if (shift < 0 && utc < static_cast<std::uint64_t>(-shift)) return false;
    if (shift > 0 &&
        utc > std::numeric_limits<std::uint64_t>::max() - static_cast<std::uint64_t>(shift))
        return false;
    local = utc + static_cast<std::uint64_t>(shift);
    return true;
}

bool local_to_utc(std::uint64_t local, std::uint64_t& utc) {
    // The wall-clock fields of the local reading, then mktime for the zone's rules on that date.
    settle_zone();
    time_t wall = static_cast<time_t>(local / kUnitsPerSecond) - kUnixEpochSeconds;
    tm fields{};
    if (::gmtime_r(&wall, &fields) == nullptr) return false;
    fields.tm_isdst = -1;
    fields.tm_wday = -1;
    errno = 0;
    time_t seconds = ::mktime(&fields);
    // -1 is also a valid result (one second before 1970); mktime then fills in the day of week.
    if (seconds == static_cast<time_t>(-1) && fields.tm_wday == -1) return false;
    if (seconds < -kUnixEpochSeconds) return false;
    utc = static_cast<std::uint64_t>(seconds + kUnixEpochSeconds) * kUnitsPerSecond +
          local % kUnitsPerSecond;
    return true;
}

void sleep_milliseconds(std::uint32_t milliseconds) {
    timespec pause{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1000000};
    while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
    }
}

}  // namespace kub::os

#include "common/time/common_time.h"

#include <limits>

#include "common/os/os.h"

namespace kub {
namespace {

constexpr std::uint64_t kUnitsPerDay = 86400 * kTimeUnitsPerSecond;
constexpr unsigned kFirstYear = 1601;
// The last year the system's time functions accept.
constexpr unsigned kLastYear = 30827;
constexpr unsigned kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool is_leap(unsigned year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned days_in_month(unsigned year, unsigned month) {
    return month == 2 && is_leap(year) ? 29 : kMonthDays[month - 1];
}

unsigned day_of_year(unsigned year, unsigned month, unsigned day) {
    unsigned days = day - 1;
    for (unsigned m = 1; m < month; ++m) days += kMonthDays[m - 1];
    if (month > 2 && is_leap(year)) ++days;
    return days;
}

// Days since 1601-01-01 of a date in the proleptic Gregorian calendar. 1601 starts a 400-year
// cycle, so whole cycles, centuries and four-year spans come off cleanly.
std::uint64_t days_from_date(unsigned year, unsigned month, unsigned day) {
    std::uint64_t y = year - kFirstYear;
    return y * 365 + y / 4 - y / 100 + y / 400 + day_of_year(year, month, day);
}

void date_from_days(std::uint64_t days, LocalTime& t) {
    std::uint64_t cycles = days / 146097;
    std::uint64_t in_cycle = days % 146097;
    std::uint64_t centuries = in_cycle / 36524;
    if (centuries == 4) centuries = 3;  // the last day of a leap cycle
    in_cycle -= centuries * 36524;
    std::uint64_t quads = in_cycle / 1461;
    in_cycle -= quads * 1461;
    std::uint64_t years = in_cycle / 365;
    if (years == 4) years = 3;  // the last day of a leap year
    in_cycle -= years * 365;
    t.year = static_cast<unsigned>(kFirstYear + cycles * 400 + centuries * 100 + quads * 4 + years);
    unsigned rest = static_cast<unsigned>(in_cycle);
    t.month = 1;
    while (rest >= days_in_month(t.year, t.month)) rest -= days_in_month(t.year, t.month++);
    t.day = rest + 1;
    t.day_of_year = day_of_year(t.year, t.month, t.day);
    t.day_of_week = static_cast<unsigned>((days + 1) % 7);  // 1601-01-01 was a Monday
}

}  // namespace

CommonTime time_now() {
    return os::system_time_now();
}

CommonTime time_from_unix(std::int64_t seconds) {
    constexpr std::int64_t kEpochSeconds =
        static_cast<std::int64_t>(kUnixEpoch / kTimeUnitsPerSecond);
    constexpr std::int64_t kLastSeconds = static_cast<std::int64_t>(
        (std::numeric_limits<CommonTime>::max() - kUnixEpoch) / kTimeUnitsPerSecond);
    if (seconds < -kEpochSeconds) return 0;
    if (seconds > kLastSeconds) return std::numeric_limits<CommonTime>::max();
    return static_cast<CommonTime>(seconds + kEpochSeconds) * kTimeUnitsPerSecond;
}

bool time_to_local(CommonTime time, LocalTime& local) {
    local = LocalTime{};
    std::uint64_t wall = 0;
    if (!os::utc_to_local(time, wall)) return false;
    LocalTime t;
    date_from_days(wall / kUnitsPerDay, t);
    if (t.year > kLastYear) return false;
    std::uint64_t in_day = wall % kUnitsPerDay;
    t.remainder = static_cast<std::uint32_t>(in_day % kTimeUnitsPerSecond);
    std::uint64_t seconds = in_day / kTimeUnitsPerSecond;
    t.hour = static_cast<unsigned>(seconds / 3600);
    t.minute = static_cast<unsigned>(seconds / 60 % 60);
    t.second = static_cast<unsigned>(seconds % 60);
    local = t;
    return true;
}

CommonTime time_from_local(const LocalTime& local) {
    if (local.year < kFirstYear || local.year > kLastYear || local.month < 1 || local.month > 12 ||
        local.day < 1 || local.day > days_in_month(local.year, local.month) || local.hour > 23 ||
        local.minute > 59 || local.second > 59) {
        return 0;
    }
    std::uint64_t wall =
        days_from_date(local.year, local.month, local.day) * kUnitsPerDay +
        (local.hour * 3600ull + local.minute * 60ull + local.second) * kTimeUnitsPerSecond +
        local.remainder;
    CommonTime utc = 0;
    return os::local_to_utc(wall, utc) ? utc : 0;
}

std::uint32_t time_to_packed(CommonTime time) {
    LocalTime t;
    if (!time_to_local(time, t)) return 0;
    // Seven bits of year: anything else would wrap onto another year (1979 onto 2107).
    if (t.year < kFirstPackedYear || t.year > kLastPackedYear) return 0;
    return ((t.year - kFirstPackedYear) << 25) | (t.month << 21) | (t.day << 16) | (t.hour << 11) |
           (t.minute << 5) | (t.second / 2);
}

CommonTime time_from_packed(std::uint32_t packed) {
    LocalTime t;
    t.second = (packed & 0x1F) * 2;
    t.minute = (packed >> 5) & 0x3F;
    t.hour = (packed >> 11) & 0x1F;
    t.day = (packed >> 16) & 0x1F;
    t.month = (packed >> 21) & 0x0F;
    t.year = 1980 + (packed >> 25);
    return time_from_local(t);
}

}  // namespace kub

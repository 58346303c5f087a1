#include "common/time/common_time.h"

#include <gtest/gtest.h>

#include <time.h>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <string>

namespace kub {
namespace {

constexpr std::uint64_t kHour = 3600 * kTimeUnitsPerSecond;

// Natively the zone comes from TZ and is switched here. A Windows process cannot switch its zone;
// under Wine it follows the TZ the process was started with, so zone-specific tests run there
// when the test is started with that zone (TZ=Europe/Berlin ...) and are skipped otherwise.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* zone) {
#ifdef _WIN32
        const char* current = std::getenv("TZ");
        active_ = current != nullptr && std::string(current) == zone;
#else
        const char* old = std::getenv("TZ");
        had_old_ = old != nullptr;
        if (had_old_) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
        active_ = true;
#endif
    }
    ~ScopedTimeZone() {
#ifndef _WIN32
        if (had_old_)
            ::setenv("TZ", old_.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
#endif
    }
    bool active() const {
        return active_;
    }

  private:
    bool active_ = false;
    bool had_old_ = false;
    std::string old_;
};

#define REQUIRE_ZONE(zone)            \
    ScopedTimeZone scoped_zone(zone); \
    if (!scoped_zone.active()) GTEST_SKIP() << "cannot switch to " << zone

TEST(CommonTime, FromUnixTime) {
    EXPECT_EQ(time_from_unix(0), 116444736000000000u);
    EXPECT_EQ(time_from_unix(1), 116444736010000000u);
    EXPECT_EQ(time_from_unix(-1), 116444735990000000u);
    EXPECT_EQ(time_from_unix(1700000000), 133444736000000000u);
    EXPECT_EQ(time_from_unix(-11644473600), 0u);
    // Out of range of the type: clamped instead of wrapping around.
    EXPECT_EQ(time_from_unix(-11644473601), 0u);
    EXPECT_EQ(time_from_unix(std::numeric_limits<std::int64_t>::min()), 0u);
    EXPECT_EQ(time_from_unix(std::numeric_limits<std::int64_t>::max()),
              std::numeric_limits<CommonTime>::max());
}

TEST(CommonTime, NowAgreesWithTheStandardClock) {
    auto unix_seconds = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    CommonTime expected = time_from_unix(unix_seconds);
    CommonTime now = time_now();
    EXPECT_LT(now > expected ? now - expected : expected - now, 10 * kTimeUnitsPerSecond);
}

// Noon UTC stays on the same date in every zone within 11 hours of UTC.
TEST(CommonTime, CalendarFieldsOfLocalTime) {
    struct Case {
        std::int64_t unix_noon;
        unsigned year, month, day, day_of_week, day_of_year;
    };
    for (const Case& c :
         {Case{978264000, 2000, 12, 31, 0, 365}, Case{1009800000, 2001, 12, 31, 1, 364},
          Case{951825600, 2000, 2, 29, 2, 59}, Case{951912000, 2000, 3, 1, 3, 60},
          Case{-2203848000, 1900, 3, 1, 4, 59}, Case{-11644430400, 1601, 1, 1, 1, 0}}) {
        LocalTime t;
        ASSERT_TRUE(time_to_local(time_from_unix(c.unix_noon), t)) << c.unix_noon;
        EXPECT_EQ(t.year, c.year) << c.unix_noon;
        EXPECT_EQ(t.month, c.month) << c.unix_noon;
        EXPECT_EQ(t.day, c.day) << c.unix_noon;
        EXPECT_EQ(t.day_of_week, c.day_of_week) << c.unix_noon;
        EXPECT_EQ(t.day_of_year, c.day_of_year) << c.unix_noon;
    }
}

TEST(CommonTime, LocalTimeInBerlinUsesTheRulesOfThatDate) {
    REQUIRE_ZONE("Europe/Berlin");
    LocalTime t;
    // 2021-03-28 01:30:00.1234567 UTC, half an hour after summer time began.
    ASSERT_TRUE(time_to_local(time_from_unix(1616895000) + 1234567, t));
    EXPECT_EQ(t, (LocalTime{2021, 3, 28, 3, 30, 0, 0, 86, 1234567}));
    // The same wall clock in winter is one hour less ahead of UTC.
    ASSERT_TRUE(time_to_local(time_from_unix(1616895000 - 86400 * 60), t));
    EXPECT_EQ(t.hour, 2u);
    EXPECT_EQ(time_from_local(LocalTime{2021, 3, 28, 3, 30, 0, 0, 0, 1234567}),
              time_from_unix(1616895000) + 1234567);
}

struct ZoneChange {
    const char* zone;
    std::int64_t spring;  // UTC second when summer time begins
    std::int64_t autumn;  // UTC second when it ends
};

class DaylightSavingChange : public ::testing::TestWithParam<ZoneChange> {};

TEST_P(DaylightSavingChange, LocalTimeRoundTrips) {
    const ZoneChange& z = GetParam();
    REQUIRE_ZONE(z.zone);
    const std::uint64_t step = kHour / 8 + 1234567;
    for (std::int64_t change : {z.spring, z.autumn}) {
        CommonTime centre = time_from_unix(change);
        for (CommonTime t = centre - 3 * kHour; t < centre + 3 * kHour; t += step) {
            LocalTime local;
            ASSERT_TRUE(time_to_local(t, local));
            CommonTime back = time_from_local(local);
            if (change == z.autumn && t >= centre - kHour && t < centre + kHour) {
                // The hour that the clock repeats: either reading of it is right.
                EXPECT_TRUE(back == t || back == t - kHour || back == t + kHour) << t;
            } else {
                EXPECT_EQ(back, t) << t;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Zones, DaylightSavingChange,
                         ::testing::Values(ZoneChange{"Europe/Berlin", 1616893200, 1635642000},
                                           ZoneChange{"America/New_York", 1615705200, 1636264800}));

TEST(CommonTime, InvalidLocalFieldsGiveZero) {
    const LocalTime invalid[] = {
        {2001, 2, 29, 12, 0, 0}, {1900, 2, 29, 12, 0, 0}, {2000, 13, 1, 0, 0, 0},
        {2000, 0, 1, 0, 0, 0},   {2000, 4, 31, 0, 0, 0},  {2000, 1, 0, 0, 0, 0},
        {2000, 1, 1, 24, 0, 0},  {2000, 1, 1, 0, 60, 0},  {2000, 1, 1, 0, 0, 60},
        {1600, 12, 31, 0, 0, 0}, {30828, 1, 1, 0, 0, 0},
    };
    for (const LocalTime& t : invalid)
        EXPECT_EQ(time_from_local(t), 0u) << t.year << "-" << t.month << "-" << t.day;
    EXPECT_NE(time_from_local(LocalTime{2000, 2, 29, 12, 0, 0}), 0u);
}

// 1980-01-01 00:00:00 local packs to 0x00210000 whatever the zone, and maps to that zone's instant.
TEST(CommonTime, PackedStartOfTheEraInZonesWithSummerTime) {
    struct Case {
        const char* zone;
        std::int64_t unix_seconds;
    };
    for (const Case& c : {Case{"Europe/Berlin", 315529200}, Case{"America/New_York", 315550800},
                          Case{"UTC", 315532800}}) {
        ScopedTimeZone zone(c.zone);
        CommonTime t = time_from_packed(0x00210000);
        EXPECT_EQ(time_to_packed(t), 0x00210000u) << c.zone;
        EXPECT_EQ(time_to_packed(time_from_local(LocalTime{1980, 1, 1, 0, 0, 0})), 0x00210000u)
            << c.zone;
        if (zone.active()) {
            EXPECT_EQ(t, time_from_unix(c.unix_seconds)) << c.zone;
        }
    }
}

TEST(CommonTime, PackedDateTimeRoundTrips) {
    ScopedTimeZone zone("Europe/Berlin");
    auto pack = [](unsigned y, unsigned mo, unsigned d, unsigned h, unsigned mi, unsigned s) {
        return ((y - 1980) << 25) | (mo << 21) | (d << 16) | (h << 11) | (mi << 5) | (s / 2);
    };
    for (std::uint32_t packed : {pack(1980, 1, 1, 0, 0, 0), pack(2000, 2, 29, 13, 45, 58),
                                 pack(2021, 7, 15, 23, 59, 58), pack(2107, 12, 31, 23, 59, 58)}) {
        EXPECT_EQ(time_to_packed(time_from_packed(packed)), packed) << std::hex << packed;
    }
    // Odd seconds are stored halved.
    EXPECT_EQ(time_to_packed(time_from_local(LocalTime{2000, 6, 1, 10, 20, 31})),
              pack(2000, 6, 1, 10, 20, 30));
}

// Only years 1980 to 2107 fit the seven year bits; a year outside packs to 0 instead of wrapping.
TEST(CommonTime, PackedYearsOutsideTheRangeGiveZero) {
    ScopedTimeZone zone("UTC");
    EXPECT_EQ(time_to_packed(time_from_local(LocalTime{1979, 12, 31, 23, 59, 58})), 0u);
    EXPECT_EQ(time_to_packed(time_from_local(LocalTime{2108, 1, 1, 0, 0, 0})), 0u);
    EXPECT_EQ(time_to_packed(time_from_local(LocalTime{1601, 1, 2, 0, 0, 0})), 0u);
    EXPECT_EQ(time_to_packed(time_from_local(LocalTime{2107, 12, 31, 23, 59, 58})), 0xFF9FBF7Du);
}

TEST(CommonTime, InvalidPackedFieldsGiveZero) {
    for (std::uint32_t packed : {0x00000000u,        // day and month 0
                                 0x00210000u | 30u,  // 60 seconds
                                 0x00210000u | (24u << 11), 0x00210000u | (60u << 5),
                                 0x01A10000u,     // month 13
                                 0x00200000u}) {  // day 0
        EXPECT_EQ(time_from_packed(packed), 0u) << std::hex << packed;
    }
}

}  // namespace
}  // namespace kub

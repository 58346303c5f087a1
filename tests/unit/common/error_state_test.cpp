#include "common/error_state.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/support/report_recorder.h"

namespace kub {
namespace {

using test::RecordedReport;
using test::ReportRecorder;

struct PrecedenceCase {
    KUB_EXIT current;
    KUB_EXIT next;
    KUB_EXIT expected;
};

class ErrorStatePrecedence : public ::testing::TestWithParam<PrecedenceCase> {};

TEST_P(ErrorStatePrecedence, SetCodeKeepsTheMoreTellingCodeAndAlwaysCounts) {
    ReportRecorder recorder;
    const auto& c = GetParam();
    ErrorState::data().exit_code = c.current;
    ErrorState::set_code(c.next);
    EXPECT_EQ(ErrorState::data().exit_code, c.expected);
    EXPECT_EQ(ErrorState::data().error_count, 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ErrorStatePrecedence,
    ::testing::Values(
        // warnings and user breaks only replace success
        PrecedenceCase{KUB_SUCCESS, KUB_WARNING, KUB_WARNING},
        PrecedenceCase{KUB_FATAL_ERROR, KUB_WARNING, KUB_FATAL_ERROR},
        PrecedenceCase{KUB_USER_BREAK, KUB_WARNING, KUB_USER_BREAK},
        PrecedenceCase{KUB_SUCCESS, KUB_USER_BREAK, KUB_USER_BREAK},
        PrecedenceCase{KUB_WARNING, KUB_USER_BREAK, KUB_WARNING},
        PrecedenceCase{KUB_CRC_ERROR, KUB_USER_BREAK, KUB_CRC_ERROR},
        // a fatal error replaces success and warnings only
        PrecedenceCase{KUB_SUCCESS, KUB_FATAL_ERROR, KUB_FATAL_ERROR},
        PrecedenceCase{KUB_WARNING, KUB_FATAL_ERROR, KUB_FATAL_ERROR},
        PrecedenceCase{KUB_CRC_ERROR, KUB_FATAL_ERROR, KUB_CRC_ERROR},
        PrecedenceCase{KUB_USER_BREAK, KUB_FATAL_ERROR, KUB_USER_BREAK},
        // a checksum error never hides a wrong password, and replaces everything else
        PrecedenceCase{KUB_BAD_PASSWORD, KUB_CRC_ERROR, KUB_BAD_PASSWORD},
        PrecedenceCase{KUB_FATAL_ERROR, KUB_CRC_ERROR, KUB_CRC_ERROR},
        PrecedenceCase{KUB_USER_BREAK, KUB_CRC_ERROR, KUB_CRC_ERROR},
        // other codes always win
        PrecedenceCase{KUB_BAD_PASSWORD, KUB_MEMORY_ERROR, KUB_MEMORY_ERROR},
        PrecedenceCase{KUB_CRC_ERROR, KUB_OPEN_ERROR, KUB_OPEN_ERROR},
        PrecedenceCase{KUB_USER_BREAK, KUB_BAD_PASSWORD, KUB_BAD_PASSWORD},
        PrecedenceCase{KUB_MEMORY_ERROR, KUB_SUCCESS, KUB_SUCCESS}));

TEST(ErrorState, CountsEveryCodeEvenWhenTheCodeStays) {
    ReportRecorder recorder;
    ErrorState::set_code(KUB_BAD_PASSWORD);
    ErrorState::set_code(KUB_CRC_ERROR);
    ErrorState::set_code(KUB_WARNING);
    EXPECT_EQ(ErrorState::data().exit_code, KUB_BAD_PASSWORD);
    EXPECT_EQ(ErrorState::data().error_count, 3u);
}

TEST(ErrorState, RaiseSetsTheCodeAndThrowsIt) {
    ReportRecorder recorder;
    try {
        ErrorState::raise(KUB_OPEN_ERROR);
        FAIL() << "raise returned";
    } catch (KUB_EXIT code) {
        EXPECT_EQ(code, KUB_OPEN_ERROR);
    }
    EXPECT_EQ(ErrorState::data().exit_code, KUB_OPEN_ERROR);
    EXPECT_EQ(ErrorState::data().error_count, 1u);
}

TEST(ErrorState, UserBreakIsIgnoredWhileRaisingOnUserBreakIsOff) {
    ReportRecorder recorder;
    ErrorState::data().raise_on_user_break = false;
    EXPECT_NO_THROW(ErrorState::raise_if_allowed(KUB_USER_BREAK));
    EXPECT_EQ(ErrorState::data().exit_code, KUB_SUCCESS);
    EXPECT_EQ(ErrorState::data().error_count, 0u);
    // other codes are raised as usual
    EXPECT_THROW(ErrorState::raise_if_allowed(KUB_CRC_ERROR), KUB_EXIT);

    ErrorState::reset();
    EXPECT_THROW(ErrorState::raise_if_allowed(KUB_USER_BREAK), KUB_EXIT);
    EXPECT_EQ(ErrorState::data().exit_code, KUB_USER_BREAK);
}

TEST(ErrorState, OutOfMemoryReportsCountsAndThrowsEight) {
    ReportRecorder recorder;
    ErrorState::set_code(KUB_WARNING);
    EXPECT_THROW(ErrorState::out_of_memory(), KUB_EXIT);
    EXPECT_EQ(recorder.ids(), std::vector<int>{kMsgOutOfMemory});
    EXPECT_EQ(ErrorState::data().exit_code, KUB_MEMORY_ERROR);
    EXPECT_EQ(ErrorState::data().error_count, 2u);
}

TEST(ErrorState, ReportHandsIdAndTextsToTheSinkCutToTheTextLimit) {
    ReportRecorder recorder;
    std::u16string long_text(kMaxMessageTextUnits + 10, u'x');
    ErrorState::report(kMsgCannotOpen, u"D:\\a.kub");
    ErrorState::report(kMsgText, long_text, u"second");
    ASSERT_EQ(recorder.reports().size(), 2u);
    EXPECT_EQ(recorder.reports()[0], (RecordedReport{kMsgCannotOpen, u"D:\\a.kub", u""}));
    EXPECT_EQ(recorder.reports()[1].text1, std::u16string(kMaxMessageTextUnits, u'x'));
    EXPECT_EQ(recorder.reports()[1].text2, u"second");
    // Reporting alone changes neither code nor count.
    EXPECT_EQ(ErrorState::data().exit_code, KUB_SUCCESS);
    EXPECT_EQ(ErrorState::data().error_count, 0u);
}

TEST(ErrorState, SinkCanBeReplacedAndRestored) {
    ReportSink outer = ErrorState::set_report_sink(nullptr);  // the silent default
    ErrorState::report(kMsgText, u"dropped");
    EXPECT_EQ(ErrorState::set_report_sink(outer), nullptr);
}

TEST(ErrorState, PeriodicCheckRaisesOnlyOnAUserBreakThatMayRaise) {
    ReportRecorder recorder;
    EXPECT_NO_THROW(ErrorState::periodic_check());
    ErrorState::data().user_break = true;
    ErrorState::data().raise_on_user_break = false;
    EXPECT_NO_THROW(ErrorState::periodic_check());
    ErrorState::data().raise_on_user_break = true;
    try {
        ErrorState::periodic_check();
        FAIL() << "no user break raised";
    } catch (KUB_EXIT code) {
        EXPECT_EQ(code, KUB_USER_BREAK);
    }
}

TEST(ErrorState, PeriodicCheckSleepsForThePause) {
    ReportRecorder recorder;
    ErrorState::data().pause_ms = 40;
    auto start = std::chrono::steady_clock::now();
    ErrorState::periodic_check();
    auto slept = std::chrono::steady_clock::now() - start;
    EXPECT_GE(slept, std::chrono::milliseconds(35));
}

TEST(ErrorState, ResetRestoresTheInitialState) {
    ErrorState::set_code(KUB_CRC_ERROR);
    ErrorState::data().user_break = true;
    ErrorState::data().raise_on_user_break = false;
    ErrorState::data().pause_ms = 5;
    ErrorState::reset();
    const ErrorStateData& s = ErrorState::data();
    EXPECT_EQ(s.exit_code, KUB_SUCCESS);
    EXPECT_EQ(s.error_count, 0u);
    EXPECT_TRUE(s.raise_on_user_break);
    EXPECT_FALSE(s.user_break);
    EXPECT_EQ(s.pause_ms, 0u);
}

}  // namespace
}  // namespace kub

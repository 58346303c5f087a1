#pragma once
// The process-wide error and exit-code state. Only out-of-memory and a user break are raised,
// as KUB_EXIT; every other failure is a return value. Entry points catch KUB_EXIT and turn it
// back into a result code, so it never crosses into a caller outside this code.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kub {

// Exit codes that occur; thrown as the exception type itself.
enum KUB_EXIT : int {
    KUB_SUCCESS = 0,
    KUB_WARNING = 1,
    KUB_FATAL_ERROR = 2,
    KUB_CRC_ERROR = 3,
    KUB_OPEN_ERROR = 6,
    KUB_MEMORY_ERROR = 8,
    KUB_BAD_PASSWORD = 11,
    KUB_USER_BREAK = 255,
};

// Message ids the library reports.
enum MessageId : int {
    kMsgText = 1,
    kMsgDataError = 3,
    kMsgOutOfMemory = 7,
    kMsgCannotOpen = 8,
    kMsgCloseError = 10,
    kMsgSeekError = 11,
    kMsgDataErrorIn = 23,
    kMsgFatal = 31,
    kMsgUnexpectedEnd = 55,
    kMsgUnsupportedFeature = 60,
    kMsgFileSizeLimit = 71,
};

struct ErrorStateData {
    KUB_EXIT exit_code = KUB_SUCCESS;
    std::uint32_t error_count = 0;
    bool raise_on_user_break = true;
    bool user_break = false;
    std::uint32_t pause_ms = 0;  // sleep of the periodic check; 0 unless set
};

// One report handed to the message sink. The texts are only valid during the sink call.
struct MessageRecord {
    int id = 0;
    std::u16string_view text1;
    std::u16string_view text2;
};

// Receives every report. Both deliverables keep the default sink, which does nothing: the
// messages exist for the codes they set. Tests install their own to observe reports.
using ReportSink = void (*)(const MessageRecord& message);

// Longest text of a message record, in UTF-16 units; longer texts are cut.
inline constexpr std::size_t kMaxMessageTextUnits = 1024;

namespace ErrorState {

// The one instance of the process.
ErrorStateData& data();

// Sets the exit code by the precedence rules and counts the error.
void set_code(KUB_EXIT code);

// Sets the code and throws it, whatever the code.
[[noreturn]] void raise(KUB_EXIT code);
// The same, except that a user break (255) does nothing while raising on user break is off.
void raise_if_allowed(KUB_EXIT code);

// Reports message 7, counts, sets code 8 and throws.
[[noreturn]] void out_of_memory();

// Hands a message record to the sink (which does nothing in both deliverables).
void report(int message_id, std::u16string_view text1 = {}, std::u16string_view text2 = {});

// Installs the sink for reports (nullptr restores the silent one) and returns the previous one.
ReportSink set_report_sink(ReportSink sink);

// Called by long-running loops: raises 255 when the user asked to stop, then pauses if set.
void periodic_check();

// Back to the initial state (tests, and each entry point of a new use).
void reset();

}  // namespace ErrorState
}  // namespace kub

#include "common/error_state.h"

#include "common/os/os.h"

namespace kub {
namespace {

ErrorStateData g_state;

void silent_sink(const MessageRecord&) {}

ReportSink g_sink = silent_sink;

}  // namespace

namespace ErrorState {

ErrorStateData& data() {
    return g_state;
}

void set_code(KUB_EXIT code) {
    switch (code) {
        // A warning or a user break never hides an earlier, more telling code.
        case KUB_WARNING:
        case KUB_USER_BREAK:
            if (g_state.exit_code == KUB_SUCCESS) g_state.exit_code = code;
            break;
        case KUB_FATAL_ERROR:
            if (g_state.exit_code == KUB_SUCCESS || g_state.exit_code == KUB_WARNING)
                g_state.exit_code = code;
            break;
        // A checksum error after a wrong password is a consequence of the password.
        case KUB_CRC_ERROR:
            if (g_state.exit_code != KUB_BAD_PASSWORD) g_state.exit_code = code;
            break;
        default:
            g_state.exit_code = code;
            break;
    }
    ++g_state.error_count;
}

void raise(KUB_EXIT code) {
    set_code(code);
    throw code;
}

void raise_if_allowed(KUB_EXIT code) {
    if (code == KUB_USER_BREAK && !g_state.raise_on_user_break) return;
    raise(code);
}

void out_of_memory() {
    report(kMsgOutOfMemory);
    raise(KUB_MEMORY_ERROR);
}

void report(int message_id, std::u16string_view text1, std::u16string_view text2) {
    MessageRecord message{message_id, text1.substr(0, kMaxMessageTextUnits),
                          text2.substr(0, kMaxMessageTextUnits)};
    g_sink(message);
}

ReportSink set_report_sink(ReportSink sink) {
    ReportSink previous = g_sink;
    g_sink = sink != nullptr ? sink : silent_sink;
    return previous == silent_sink ? nullptr : previous;
}

void periodic_check() {
    if (g_state.user_break) raise_if_allowed(KUB_USER_BREAK);
    if (g_state.pause_ms != 0) os::sleep_milliseconds(g_state.pause_ms);
}

void reset() {
    g_state = ErrorStateData{};
}

}  // namespace ErrorState
}  // namespace kub

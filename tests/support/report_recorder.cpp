#include "tests/support/report_recorder.h"

namespace kub::test {
namespace {

std::vector<RecordedReport> g_reports;

void record(const MessageRecord& message) {
    g_reports.push_back({message.id, std::u16string(message.text1), std::u16string(message.text2)});
}

}  // namespace

ReportRecorder::ReportRecorder() : previous_(ErrorState::set_report_sink(record)) {
    g_reports.clear();
    ErrorState::reset();
}

ReportRecorder::~ReportRecorder() {
    ErrorState::set_report_sink(previous_);
    ErrorState::reset();
}

const std::vector<RecordedReport>& ReportRecorder::reports() const {
    return g_reports;
}

std::vector<int> ReportRecorder::ids() const {
    std::vector<int> ids;
    for (const auto& r : g_reports) ids.push_back(r.id);
    return ids;
}

}  // namespace kub::test

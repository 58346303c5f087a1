#pragma once
// Records what the library reports through ErrorState while the recorder lives, and starts from
// a clean ErrorState.
#include <string>
#include <vector>

#include "common/error_state.h"

namespace kub::test {

struct RecordedReport {
    int id = 0;
    std::u16string text1;
    std::u16string text2;
    bool operator==(const RecordedReport&) const = default;
};

class ReportRecorder {
  public:
    ReportRecorder();
    ~ReportRecorder();
    ReportRecorder(const ReportRecorder&) = delete;
    ReportRecorder& operator=(const ReportRecorder&) = delete;

    const std::vector<RecordedReport>& reports() const;
    std::vector<int> ids() const;

  private:
    ReportSink previous_;
};

}  // namespace kub::test

#pragma once
// Puts the ANSI and OEM code pages a test needs in effect and restores the previous ones after.
// Natively they are chosen; under Windows they are the system's, so `active()` tells whether the
// system happens to have them (the Wine session runs with 936 for both).
#include <gtest/gtest.h>

#include "common/os/os.h"

namespace kub::test {

class CodePageScope {
  public:
    CodePageScope(unsigned ansi, unsigned oem)
        : previous_ansi_(os::code_page_number(os::CodePage::kAnsi)),
          previous_oem_(os::code_page_number(os::CodePage::kOem)) {
        os::select_code_pages(ansi, oem);
        active_ = os::code_page_number(os::CodePage::kAnsi) == ansi &&
                  os::code_page_number(os::CodePage::kOem) == oem;
    }
    ~CodePageScope() { os::select_code_pages(previous_ansi_, previous_oem_); }
    CodePageScope(const CodePageScope&) = delete;
    CodePageScope& operator=(const CodePageScope&) = delete;

    bool active() const { return active_; }

  private:
    unsigned previous_ansi_;
    unsigned previous_oem_;
    bool active_ = false;
};

// A fixture whose tests run with the given code pages, skipped where the system has others.
template <unsigned Ansi, unsigned Oem>
class CodePageTest : public testing::Test {
  protected:
    void SetUp() override {
        if (!scope_.active())
            GTEST_SKIP() << "the system's code pages are not " << Ansi << "/" << Oem;
    }

  private:
    CodePageScope scope_{Ansi, Oem};
};

}  // namespace kub::test

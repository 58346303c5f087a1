#include <windows.h>

#include <climits>
#include <string>

#include "common/os/os_text.h"
#include "common/os/win32/wide_cast.h"

namespace kub::os {
namespace {

UINT system_code_page(CodePage page) {
    return page == CodePage::kOem ? CP_OEMCP : CP_ACP;
}

}  // namespace

unsigned code_page_number(CodePage page) {
    return page == CodePage::kOem ? ::GetOEMCP() : ::GetACP();
}

bool select_code_pages(unsigned, unsigned) {
    return false;
}

bool narrow_to_wide(CodePage page, std::string_view text, std::u16string& out) {
    out.clear();
    if (text.empty()) return true;
    if (text.size() > INT_MAX) return false;
    int length = static_cast<int>(text.size());
    int needed = ::MultiByteToWideChar(system_code_page(page), 0, text.data(), length, nullptr, 0);
    if (needed <= 0) return false;
    out.resize(static_cast<size_t>(needed));
    int written = ::MultiByteToWideChar(system_code_page(page), 0, text.data(), length,
                                        as_wcstr(out.data()), needed);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return written > 0;
}

bool wide_to_narrow(CodePage page, std::u16string_view text, std::string& out) {
    out.clear();
    if (text.empty()) return true;
    if (text.size() > INT_MAX) return false;
    int length = static_cast<int>(text.size());
    const wchar_t* wide = as_wcstr(text.data());
    int needed = ::WideCharToMultiByte(system_code_page(page), 0, wide, length, nullptr, 0, nullptr,
                                       nullptr);
    if (needed <= 0) return false;
    out.resize(static_cast<size_t>(needed));
    int written = ::WideCharToMultiByte(system_code_page(page), 0, wide, length, out.data(), needed,
                                        nullptr, nullptr);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return written > 0;
}

bool is_ansi_lead_byte(unsigned char byte) {
    return ::IsDBCSLeadByte(byte) != FALSE;
}

}  // namespace kub::os

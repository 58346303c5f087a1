#pragma once
// The report a reader makes when it meets a damaged header: message 23 with the archive's name,
// and the CRC-error exit code. The listing then ends; the archive stays recognised.
#include <string_view>

#include "common/error_state.h"

namespace kub {

inline void report_damaged_archive(std::u16string_view archive_name) {
    ErrorState::report(kMsgDataErrorIn, archive_name);
    ErrorState::set_code(KUB_CRC_ERROR);
}

}  // namespace kub

#pragma once
// The name of the one item of a single-stream compressed file (gzip without a stored name,
// bzip2, xz, compress): the archive's file name without its extension, or with ".out" appended
// when it has none.
#include <string>
#include <string_view>

namespace kub {

std::u16string SingleStreamItemName(std::u16string_view archive_path);

}  // namespace kub

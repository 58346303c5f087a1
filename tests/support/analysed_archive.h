#pragma once
// A full analysis of one file with every item it listed, for tests that compare listings.
#include <string>
#include <vector>

#include "formats/archive_reader.h"

namespace kub::test {

struct AnalysedArchive {
    int code = 0;  // Analyze's result
    ArchiveSummary summary;
    std::vector<ItemHeader> items;
};

AnalysedArchive analyse_archive(const std::u16string& path);

}  // namespace kub::test

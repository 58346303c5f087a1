#pragma once
// A full analysis of one file as the information page runs it, with every item the reader
// delivered kept for the test to look at.
#include <string>
#include <vector>

#include "formats/archive_analysis.h"

namespace kub::test {

struct AnalysedArchive {
    int code = 0;
    ArchiveSummary summary;
    std::vector<ItemHeader> items;
};

inline AnalysedArchive analyse_archive(const std::u16string& path, int volume_mode = 0) {
    AnalysedArchive r;
    ArchiveAnalysis analysis;
    analysis.set_item_observer([&](const ItemHeader& h) { r.items.push_back(h); });
    r.code = analysis.Analyze(path, false, volume_mode);
    r.summary = analysis.summary();
    return r;
}

}  // namespace kub::test

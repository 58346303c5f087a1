#include "tests/support/analysed_archive.h"

#include "formats/archive_analysis.h"

namespace kub::test {

AnalysedArchive analyse_archive(const std::u16string& path) {
    AnalysedArchive r;
    ArchiveAnalysis analysis;
    analysis.set_item_observer([&](const ItemHeader& h) { r.items.push_back(h); });
    r.code = analysis.Analyze(path, false, 0);
    r.summary = analysis.summary();
    return r;
}

}  // namespace kub::test

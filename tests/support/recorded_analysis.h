#pragma once
// A full analysis with every item kept, and the check of its items against a tool's listing
// (for test executables: it checks with GoogleTest).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "formats/archive_analysis.h"
#include "formats/archive_reader.h"
#include "tests/support/ascii_text.h"
#include "tests/support/fixtures/tool_fixtures.h"

namespace kub::test {

struct RecordedAnalysis {
    int code = 0;
    ArchiveSummary summary;
    std::vector<ItemHeader> items;
    std::u16string path;  // the file the analysis settled on
};

inline RecordedAnalysis analyse_recording(const std::u16string& path, bool quick = false) {
    RecordedAnalysis r;
    ArchiveAnalysis analysis;
    analysis.set_item_observer([&](const ItemHeader& h) { r.items.push_back(h); });
    r.code = analysis.Analyze(path, quick, 0);
    r.summary = analysis.summary();
    r.path = analysis.path();
    return r;
}

// Every item in the tool's order with its name, sizes and folder flag; then the item and file
// counts and the unpacked total over the listing. The packed total is the caller's to check (tools
// count it differently).
inline void expect_items_match(const RecordedAnalysis& r, const ExpectedListing& expected) {
    ASSERT_EQ(r.items.size(), expected.entries.size());
    std::int64_t unpacked = 0, files = 0;
    for (std::size_t i = 0; i < r.items.size(); ++i) {
        const ItemHeader& got = r.items[i];
        const ExpectedEntry& want = expected.entries[i];
        SCOPED_TRACE(ascii_text(want.name));
        EXPECT_EQ(got.Name, want.name);
        EXPECT_EQ(got.UnpackedSize, want.size);
        EXPECT_EQ(got.PackedSize, want.packed);
        EXPECT_EQ(got.IsDirectory, want.folder);
        unpacked += static_cast<std::int64_t>(want.size);
        files += want.folder ? 0 : 1;
    }
    EXPECT_EQ(r.summary.ItemCount, static_cast<std::int32_t>(expected.entries.size()));
    EXPECT_EQ(r.summary.FileCount, files);
    EXPECT_EQ(r.summary.TotalUnpacked, unpacked);
}

// The packed sizes the listing gives, summed.
inline std::int64_t listed_packed_total(const ExpectedListing& expected) {
    std::int64_t packed = 0;
    for (const ExpectedEntry& e : expected.entries) packed += static_cast<std::int64_t>(e.packed);
    return packed;
}

}  // namespace kub::test

#pragma once
// kubinfo's two output forms: the information page as labelled lines (optionally with one line
// per item), and one JSON object per file whose keys are the field names of the records.
#include <string>
#include <vector>

#include "formats/archive_reader.h"

namespace kub::tool {

struct FileReport {
    std::u16string path;
    int result = 0;  // the Analyze result
    ArchiveSummary summary;
    std::vector<ItemHeader> items;
};

std::string page_text(const FileReport& report, bool with_items);
std::string json_line(const FileReport& report);

}  // namespace kub::tool

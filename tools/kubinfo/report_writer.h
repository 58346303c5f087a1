#pragma once
// kubinfo's two output forms: the information page as labelled lines (optionally with one line
// per item), and one JSON object per file whose keys are the field names of the records.
#include <string>

#include "formats/archive_reader.h"

namespace kub::tool {

struct FileReport {
    std::u16string path;
    int result = 0;  // the Analyze result
    ArchiveSummary summary;
};

// Each form is written in three parts, so items go out as they are read and none is kept: the
// head (before the analysis), one piece per item, the tail (after the analysis). A JSON item
// piece after the first starts with the comma that separates it from the one before.
std::string page_head(const FileReport& report);
std::string page_item(const ItemHeader& item);
std::string page_tail(const FileReport& report);

std::string json_head(const FileReport& report);
std::string json_item(const ItemHeader& item, bool first);
std::string json_tail(const FileReport& report);

}  // namespace kub::tool

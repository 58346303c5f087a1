#pragma once
// The listings that fixture scripts write beside each archive an independent tool made
// (ARCHIVE.expected): one record per line, fields separated by tabs, in the tool's order.
#include <string>
#include <vector>

namespace kub::test {

struct ToolListing {
    std::u16string path;  // the archive
    std::string name;     // its file name, for messages
    std::vector<std::vector<std::string>> records;
};

// Every ARCHIVE.expected of `folder` with its archive, in name order.
std::vector<ToolListing> tool_listings(const std::u16string& folder);

// The listing of one archive of the folder; an empty record list when it is missing.
ToolListing tool_listing(const std::u16string& folder, const std::string& archive_name);

}  // namespace kub::test

#include "tests/support/tool_listing.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kub::test {

namespace fs = std::filesystem;

namespace {

ToolListing read_listing(const fs::path& listing) {
    ToolListing out;
    fs::path archive = listing;
    archive.replace_extension();
    out.path = archive.u16string();
    out.name = archive.filename().string();
    std::ifstream in(listing, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields;
        std::istringstream split(line);
        std::string field;
        while (std::getline(split, field, '\t')) fields.push_back(field);
        if (!fields.empty()) out.records.push_back(std::move(fields));
    }
    return out;
}

}  // namespace

std::vector<ToolListing> tool_listings(const std::u16string& folder) {
    std::vector<fs::path> listings;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(fs::path(folder), ec))
        if (entry.path().extension() == ".expected") listings.push_back(entry.path());
    std::sort(listings.begin(), listings.end());
    std::vector<ToolListing> out;
    for (const fs::path& listing : listings) out.push_back(read_listing(listing));
    return out;
}

ToolListing tool_listing(const std::u16string& folder, const std::string& archive_name) {
    fs::path listing = fs::path(folder) / (archive_name + ".expected");
    std::error_code ec;
    if (!fs::exists(listing, ec)) {
        ToolListing none;
        none.name = archive_name;
        return none;
    }
    return read_listing(listing);
}

}  // namespace kub::test

#pragma once
// The cabinet reader (registry index 11): lists the CFFILE entries of a cabinet, also behind a
// self-extracting module, and finds the next cabinet of a set by the name its header holds.
// Nothing is decompressed; the folders and data blocks are never read.
//
// State: `file_` stands at the next CFFILE entry; `files_left_` counts the entries still to
// read (at most cFiles, so the listing ends).
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "common/files/disk_file.h"
#include "formats/archive_reader.h"

namespace kub {

// The first position of a plausible CFHEADER in `bytes`: the signature with cbCabinet and
// coffFiles above 8, versionMajor 1 to 15, versionMinor below 128, at least one folder and the
// three reserved fields 0.
std::optional<std::size_t> find_cab_header(std::span<const std::uint8_t> bytes);

class CabReader final : public ArchiveReader {
public:
    explicit CabReader(const ReaderOptions* options) : ArchiveReader(options) {}

    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override;
    void NextVolumeName(std::u16string& name) override;

private:
    std::unique_ptr<DiskFile> file_;
    std::int32_t start_offset_ = 0;
    bool is_volume_ = false;
    std::uint32_t version_ = 0;
    std::uint32_t files_left_ = 0;
};

}  // namespace kub

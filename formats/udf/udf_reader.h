#pragma once
// The UDF reader (registry index 7): disc images with a UDF file system, listed from the root
// directory of the file set down.
//
// State: a stack of open directories (at most 255 deep), each with its data, the read position
// and the entry last returned there. `descend_` asks the next ReadItem to open the directory
// last returned (the root at the start). A directory whose entry is that of an open ancestor is
// listed but not entered, and the data held by the stack never exceeds the image size, so a
// directory that contains itself, or many that share one extent, cannot make the walk run away.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "formats/archive_reader.h"
#include "formats/udf/udf_volume.h"

namespace kub {

class UdfReader final : public ArchiveReader {
public:
    explicit UdfReader(const ReaderOptions* options) : ArchiveReader(options) {}

    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override;

private:
    struct Level {
        std::vector<std::uint8_t> data;
        std::size_t position = 0;
        udf::LongAd self;
        udf::LongAd last;
    };

    int Walk(ItemHeader& item);
    bool Descend();
    std::u16string DecodeName(std::span<const std::uint8_t> identifier) const;
    void Release();

    std::unique_ptr<udf::UdfVolume> volume_;
    std::uint16_t revision_ = 0;
    std::vector<Level> levels_;
    std::uint64_t held_bytes_ = 0;
    std::u16string path_;
    bool descend_ = true;
};

}  // namespace kub

#pragma once
// The 7z reader (registry index 2): it recognises a 7z archive by its signature itself and lists
// the items through 7-Zip's extraction library (sevenzip_library.h), loaded only when items are
// first asked for, so a quick analysis never touches it.
//
// State: idle -> recognised (Open found the signature; `sfx_size_` and `path_` kept) -> listing
// (the library holder exists after the first ReadItem) -> idle (Close releases the holder).
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "formats/archive_reader.h"
#include "formats/sevenzip/sevenzip_library.h"

namespace kub {

class SevenZipReader final : public ArchiveReader {
public:
    // The library found through the archiver's App Paths entry.
    explicit SevenZipReader(const ReaderOptions* options);
    // Another library (tests).
    SevenZipReader(const ReaderOptions* options, sevenzip::LibraryAccess access);
    ~SevenZipReader() override;

    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override;

private:
    int OpenLibrary();

    sevenzip::LibraryAccess access_;
    std::unique_ptr<sevenzip::LibraryArchive> library_;
    std::u16string path_;
    std::int64_t sfx_size_ = 0;
    std::uint32_t next_item_ = 0;
    bool recognised_ = false;
    bool library_opened_ = false;
    bool headers_encrypted_ = false;
};

}  // namespace kub

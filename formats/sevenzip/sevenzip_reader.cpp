#include "formats/sevenzip/sevenzip_reader.h"

#include <optional>
#include <utility>

#include "common/files/file_helpers.h"
#include "formats/format_registry.h"
#include "formats/sevenzip/part_set_stream.h"
#include "formats/sevenzip/sevenzip_signature.h"

namespace kub {

std::unique_ptr<ArchiveReader> create_sevenzip_reader(const ReaderOptions* options) {
    return std::make_unique<SevenZipReader>(options);
}

SevenZipReader::SevenZipReader(const ReaderOptions* options)
    : SevenZipReader(options, sevenzip::installed_library_access()) {}

SevenZipReader::SevenZipReader(const ReaderOptions* options, sevenzip::LibraryAccess access)
    : ArchiveReader(options), access_(std::move(access)) {}

SevenZipReader::~SevenZipReader() = default;

bool SevenZipReader::Open(std::u16string& path, std::span<const std::uint8_t> head,
                          std::int32_t& start_offset, int flags) {
    (void)flags;
    try {
        library_.reset();
        recognised_ = false;
        std::optional<std::uint32_t> found = sevenzip::find_signature(head);
        if (!found) return false;
        start_offset = static_cast<std::int32_t>(*found);
        sfx_size_ = *found;
        if (file_attributes(path) == os::kInvalidAttributes) return false;
        path_ = path;
        next_item_ = 0;
        library_opened_ = false;
        headers_encrypted_ = false;
        recognised_ = true;
        return true;
    } catch (...) {
        return false;
    }
}

void SevenZipReader::Close(ArchiveSummary& summary) {
    summary.FormatName = u"7-Zip";
    summary.SfxSize = sfx_size_;
    summary.HeadersEncrypted = headers_encrypted_;
    library_.reset();
    library_opened_ = false;
    recognised_ = false;
}

int SevenZipReader::OpenLibrary() {
    auto stream = std::make_unique<sevenzip::PartSetStream>();
    if (!stream->open(path_)) return kItemDamagedSource;
    library_ = std::make_unique<sevenzip::LibraryArchive>(access_);
    sevenzip::OpenOutcome outcome = library_->open(std::move(stream));
    if (outcome == sevenzip::OpenOutcome::kOpened) {
        next_item_ = 0;
        library_opened_ = true;
        return kItemRead;
    }
    library_.reset();
    if (outcome == sevenzip::OpenOutcome::kPasswordRequested) {
        headers_encrypted_ = true;
        return kItemBreakOrEncrypted;
    }
    return kItemDamagedSource;
}

int SevenZipReader::ReadItem(ItemHeader& item) {
    if (!recognised_) return kNoMoreItems;
    try {
        if (!library_opened_) {
            // One attempt per opening: a library that failed is not loaded again for each call.
            int opened = OpenLibrary();
            if (opened != kItemRead) {
                recognised_ = false;
                return opened;
            }
        }
        if (next_item_ >= library_->item_count()) return kNoMoreItems;
        int result = library_->read_item(next_item_, path_, item);
        if (result == kItemRead) ++next_item_;
        return result;
    } catch (...) {
        return kItemReadFailure;
    }
}

std::u16string SevenZipReader::GetExtensions() { return u"7z"; }

}  // namespace kub

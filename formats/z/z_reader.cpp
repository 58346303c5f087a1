#include "formats/z/z_reader.h"

#include <algorithm>
#include <array>

#include "common/error_state.h"
#include "formats/format_registry.h"
#include "formats/single_stream_item_name.h"
#include "formats/stream_skip.h"

namespace kub {

namespace {

constexpr std::uint8_t kMagic0 = 0x1F;
constexpr std::uint8_t kMagic1 = 0x9D;
constexpr std::uint8_t kWidthMask = 0x1F;
constexpr std::uint8_t kBlockModeFlag = 0x80;
constexpr std::size_t kHeaderSize = 3;
// Consumed output is kept until this much has piled up, so small reads do not move memory.

}  // namespace

std::unique_ptr<ArchiveReader> create_z_reader(const ReaderOptions* options) {
    return std::make_unique<ZReader>(options);
}

ZReader::ZReader(const ReaderOptions* options) : SingleStreamReader(options) {}
ZReader::~ZReader() = default;

bool ZReader::Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
                   int flags) {
    (void)start_offset;
    (void)flags;
    if (head.size() < 2 || head[0] != kMagic0 || head[1] != kMagic1) return false;
    CloseStream();
    archive_name_ = path;
    cut_to_capacity(archive_name_, kPathCapacity);
    default_item_name_ = SingleStreamItemName(path);
    auto file = std::make_unique<BufferedInputFile>();
    file->report_errors = false;
    if (!file->Open(path)) {
        file_.reset();
        return false;
    }
    file_size_ = std::max<std::int64_t>(file->FileLength(), 0);
    file_ = std::move(file);
    item_pending_ = true;
    return true;
}

void ZReader::Close(ArchiveSummary& summary) {
    summary.FormatName = u"Z";
    CloseStream();
    file_.reset();
}

std::u16string ZReader::GetExtensions() { return u"z|taz"; }

int ZReader::ReadItem(ItemHeader& item) {
    if (!file_ || !item_pending_) return kNoMoreItems;
    item_pending_ = false;
    item.Name = default_item_name_;
    item.UnpackedSize = UnknownSize;
    item.PackedSize = static_cast<std::uint64_t>(file_size_);
    return kItemRead;
}

bool ZReader::OpenStream(std::u16string_view path) {
    (void)path;
    CloseStream();
    if (!file_) return false;
    collect_ = true;
    output_.StartOver();
    stream_ended_ = true;
    std::array<std::uint8_t, kHeaderSize> header{};
    if (!file_->Seek(0, SeekMethod::begin) ||
        file_->Read(header.data(), header.size()) != static_cast<std::int64_t>(header.size())) {
        return true;  // nothing to decode: the data is empty
    }
    if (header[0] != kMagic0 || header[1] != kMagic1) {
        ErrorState::report(kMsgDataErrorIn, archive_name_);
        ErrorState::set_code(KUB_CRC_ERROR);
        return true;
    }
    int max_width = header[2] & kWidthMask;
    // Widths below 9 would let the code width grow without bound; above 16 the tables do not
    // reach. Either way there is no data.
    if (max_width < LzwDecoder::kMinWidth || max_width > LzwDecoder::kMaxWidth) return true;
    decoder_ = std::make_unique<LzwDecoder>(max_width, (header[2] & kBlockModeFlag) != 0);
    stream_ended_ = false;
    return true;
}

void ZReader::CloseStream() {
    decoder_.reset();
    output_.Release();
    collect_ = false;
    stream_ended_ = false;
}

std::size_t ZReader::ReadGroup(std::span<std::uint8_t> out) {
    std::int64_t got = file_->Read(out.data(), out.size());
    return got > 0 ? static_cast<std::size_t>(got) : 0;
}

bool ZReader::Write(std::span<const std::uint8_t> bytes) { return output_.Append(bytes); }

std::size_t ZReader::ReadStream(std::span<std::uint8_t> buffer, bool& error) {
    error = false;
    if (!collect_) return 0;
    while (!stream_ended_ && output_.waiting() < buffer.size()) {
        LzwStatus status = decoder_->Run(*this, *this);
        if (status == LzwStatus::kMore) continue;
        stream_ended_ = true;
        if (status == LzwStatus::kTruncatedAtClear) {
            ErrorState::report(kMsgUnexpectedEnd, archive_name_);
            ErrorState::set_code(KUB_CRC_ERROR);
        } else if (status == LzwStatus::kCorrupt) {
            ErrorState::report(kMsgDataErrorIn, archive_name_);
            ErrorState::set_code(KUB_CRC_ERROR);
        }
    }
    return output_.Deliver(buffer.data(), buffer.size());
}

std::int64_t ZReader::SkipTo(std::uint64_t position) {
    // The compress data has no end of its own to tell apart: whatever stops a skip fails it.
    return SkipByReading(*this, output_.delivered(), position, kSkipToFailed);
}

}  // namespace kub

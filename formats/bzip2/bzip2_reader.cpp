#include "formats/bzip2/bzip2_reader.h"

#include <algorithm>
#include <array>

#include "common/error_state.h"
#include "formats/format_registry.h"
#include "formats/single_stream_item_name.h"
#include "formats/stream_skip.h"

namespace kub {

namespace {

constexpr std::uint8_t kMagic[3] = {0x42, 0x5A, 0x68};  // "BZh"

}  // namespace

std::unique_ptr<ArchiveReader> create_bzip2_reader(const ReaderOptions* options) {
    return std::make_unique<Bzip2Reader>(options);
}

Bzip2Reader::Bzip2Reader(const ReaderOptions* options) : SingleStreamReader(options) {}
Bzip2Reader::~Bzip2Reader() = default;

bool Bzip2Reader::Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
                       int flags) {
    (void)start_offset;
    (void)flags;
    if (head.size() <= 2 || !std::equal(std::begin(kMagic), std::end(kMagic), head.begin())) return false;
    CloseStream();
    default_item_name_ = SingleStreamItemName(path);
    DiskFile file;
    file.report_errors = false;
    if (!file.Open(path)) return false;
    file_size_ = std::max<std::int64_t>(file.FileLength(), 0);
    return true;
}

void Bzip2Reader::Close(ArchiveSummary& summary) {
    summary.FormatName = u"BZIP2";
    CloseStream();
}

int Bzip2Reader::ReadItem(ItemHeader& item) {
    if (default_item_name_.empty()) return kNoMoreItems;
    item.Name = default_item_name_;
    item.PackedSize = static_cast<std::uint64_t>(file_size_);
    item.UnpackedSize = UnknownSize;
    default_item_name_.clear();
    return kItemRead;
}

std::u16string Bzip2Reader::GetExtensions() { return u"bz2|bz|tbz|tbz2"; }

bool Bzip2Reader::OpenStream(std::u16string_view path) {
    CloseStream();
    auto file = std::make_unique<DiskFile>();
    file->report_errors = false;
    if (!file->Open(path)) return false;
    file_size_ = std::max<std::int64_t>(file->FileLength(), 0);
    file_position_ = 0;
    delivered_ = 0;
    file_ = std::move(file);
    layer_ = Bzip2ReadLayer::Open(*file_, file_position_, file_size_, {});
    if (!layer_) {
        file_.reset();
        return false;
    }
    return true;
}

void Bzip2Reader::CloseStream() {
    layer_.reset();
    file_.reset();
}

std::size_t Bzip2Reader::ReadStream(std::span<std::uint8_t> buffer, bool& error) {
    error = false;
    // A stream that ends exactly where an earlier call stopped (or an empty stream) gives no
    // bytes of its own; reading goes on in the next stream so that 0 keeps meaning the end.
    while (layer_ && !buffer.empty()) {
        std::size_t got = layer_->Read(buffer);
        int result = layer_->last_result();
        if (result == BZ_OK) {
            delivered_ += got;
            return got;
        }
        if (result != BZ_STREAM_END) {
            layer_.reset();
            return 0;
        }
        std::array<std::uint8_t, Bzip2ReadLayer::kInputSize> carried{};
        std::span<const std::uint8_t> rest = layer_->Unconsumed();
        std::size_t carried_size = std::min(rest.size(), carried.size());
        std::copy_n(rest.begin(), carried_size, carried.begin());
        layer_.reset();
        if (carried_size != 0 || file_position_ < file_size_) {
            layer_ = Bzip2ReadLayer::Open(*file_, file_position_, file_size_,
                                          std::span<const std::uint8_t>(carried.data(), carried_size));
        }
        delivered_ += got;
        if (got != 0) return got;
    }
    return 0;
}

std::int64_t Bzip2Reader::SkipTo(std::uint64_t position) {
    return SkipByReading(*this, delivered_, position, kSkipToDataEnded);
}

}  // namespace kub

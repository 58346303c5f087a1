#include "formats/xz/xz_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "common/error_state.h"
#include "formats/format_registry.h"
#include "formats/single_stream_item_name.h"
#include "formats/stream_skip.h"
#include "formats/xz/xz_index_scan.h"

namespace kub {

namespace {

constexpr std::uint8_t kMagic[6] = {0xFD, 0x37, 0x7A, 0x58, 0x5A, 0x00};

}  // namespace

std::unique_ptr<ArchiveReader> create_xz_reader(const ReaderOptions* options) {
    return std::make_unique<XzReader>(options);
}

XzReader::XzReader(const ReaderOptions* options) : SingleStreamReader(options) {}

XzReader::~XzReader() { EndDecoder(); }

bool XzReader::Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
                    int flags) {
    (void)start_offset;
    (void)flags;
    if (head.size() < sizeof kMagic || !std::equal(std::begin(kMagic), std::end(kMagic), head.begin())) return false;
    EndDecoder();
    default_item_name_ = SingleStreamItemName(path);
    item_pending_ = true;
    auto file = std::make_unique<DiskFile>();
    file->report_errors = false;
    if (!file->Open(path)) {
        file_.reset();
        return false;
    }
    file_ = std::move(file);
    return true;
}

void XzReader::Close(ArchiveSummary& summary) {
    summary.FormatName = u"XZ";
    EndDecoder();
    file_.reset();
}

std::u16string XzReader::GetExtensions() { return u"xz|txz"; }

int XzReader::ReadItem(ItemHeader& item) {
    if (!file_ || !item_pending_) return kNoMoreItems;
    item_pending_ = false;
    std::uint64_t file_size = static_cast<std::uint64_t>(std::max<std::int64_t>(file_->FileLength(), 0));
    XzIndexScan scan = ScanXzIndexes(*file_, file_size);
    if (scan.outcome == XzIndexScan::Outcome::kFailed) {
        item.PackedSize = UnknownSize;
        item.UnpackedSize = UnknownSize;
    } else {
        item.PackedSize = file_size - scan.first_stream_offset;
        item.UnpackedSize = scan.unpacked_size;
    }
    item.Name = default_item_name_;
    return kItemRead;
}

void XzReader::EndDecoder() {
    if (decoder_started_) lzma_end(&decoder_);
    decoder_ = LZMA_STREAM_INIT;
    decoder_started_ = false;
    std::vector<std::uint8_t>().swap(input_);
    input_fill_ = 0;
    input_pos_ = 0;
    std::vector<std::uint8_t>().swap(decoded_);
    decoded_pos_ = 0;
    decoded_fill_ = 0;
}

bool XzReader::OpenStream(std::u16string_view path) {
    (void)path;
    EndDecoder();
    if (!file_ || !file_->Seek(0, SeekMethod::begin)) return false;
    // No memory limit of our own: the block headers state what the data needs. Concatenated
    // streams and the padding between them are read as one; a check we cannot verify is damage.
    if (lzma_stream_decoder(&decoder_, UINT64_MAX, LZMA_CONCATENATED | LZMA_TELL_UNSUPPORTED_CHECK) != LZMA_OK)
        return false;
    decoder_started_ = true;
    try {
        input_.resize(kInputSize);
        decoded_.resize(kDecodeChunk);
    } catch (const std::bad_alloc&) {
        EndDecoder();
        ErrorState::out_of_memory();
    }
    input_ended_ = false;
    finished_ = false;
    failed_ = false;
    delivered_ = 0;
    return true;
}

void XzReader::CloseStream() { EndDecoder(); }

std::size_t XzReader::ReadStream(std::span<std::uint8_t> buffer, bool& error) {
    error = false;
    if (!decoder_started_) return 0;
    std::size_t produced = 0;
    while (produced < buffer.size()) {
        if (decoded_pos_ < decoded_fill_) {
            std::size_t n = std::min(buffer.size() - produced, decoded_fill_ - decoded_pos_);
            std::memcpy(buffer.data() + produced, decoded_.data() + decoded_pos_, n);
            decoded_pos_ += n;
            produced += n;
            continue;
        }
        if (failed_) {
            failed_ = false;
            error = true;
            break;
        }
        if (finished_) break;
        std::span<std::uint8_t> rest = buffer.subspan(produced);
        if (rest.size() >= kDecodeChunk) {
            std::size_t made = Decode(rest, failed_);
            produced += made;
            if (made == 0 && !failed_) break;
            continue;
        }
        decoded_pos_ = 0;
        decoded_fill_ = Decode(decoded_, failed_);
        if (decoded_fill_ == 0 && !failed_) break;
    }
    delivered_ += produced;
    return produced;
}

std::size_t XzReader::Decode(std::span<std::uint8_t> out, bool& failed) {
    std::size_t produced = 0;
    while (produced < out.size() && !finished_) {
        if (input_pos_ == input_fill_ && !input_ended_) {
            std::int64_t got = file_->Read(input_.data(), input_.size());
            input_pos_ = 0;
            input_fill_ = got > 0 ? static_cast<std::size_t>(got) : 0;
            if (input_fill_ == 0) input_ended_ = true;
        }
        decoder_.next_in = input_.data() + input_pos_;
        decoder_.avail_in = input_fill_ - input_pos_;
        decoder_.next_out = out.data() + produced;
        decoder_.avail_out = out.size() - produced;
        lzma_ret ret = lzma_code(&decoder_, input_ended_ ? LZMA_FINISH : LZMA_RUN);
        std::size_t consumed = (input_fill_ - input_pos_) - decoder_.avail_in;
        std::size_t made = (out.size() - produced) - decoder_.avail_out;
        input_pos_ += consumed;
        produced += made;
        if (ret == LZMA_STREAM_END) {
            finished_ = true;
        } else if (ret != LZMA_OK) {
            // A file that ends inside a stream just ends the data; everything else is damage.
            if (ret != LZMA_BUF_ERROR) failed = true;
            finished_ = true;
        } else if (consumed == 0 && made == 0) {
            break;
        }
    }
    return produced;
}

std::int64_t XzReader::SkipTo(std::uint64_t position) {
    return SkipByReading(*this, delivered_, position, kSkipToDataEnded);
}

}  // namespace kub

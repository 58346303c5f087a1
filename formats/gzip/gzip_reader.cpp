#include "formats/gzip/gzip_reader.h"

#include <algorithm>
#include <array>
#include <string>

#include "common/checksum/crc32.h"
#include "common/error_state.h"
#include "common/files/path_ops.h"
#include "common/text/encoding.h"
#include "common/time/common_time.h"
#include "formats/byte_reader.h"
#include "formats/format_registry.h"
#include "formats/single_stream_item_name.h"

namespace kub {

using namespace gzip;

namespace {

// Consumed output is kept until this much has piled up, so small reads do not move memory.
// Compressed input is read in pieces of this size while a stream is decoded.
constexpr std::size_t kInputChunk = 128 * 1024;

constexpr const char16_t* kHostNames[15] = {
    u"MS-DOS", u"Amiga", u"VAX/VMS", u"UNIX", u"Atari", u"OS/2", u"Macintosh", u"",
    u"",       u"TOPS20", u"Windows NT", u"", u"", u"", u"PRIMOS"};

}  // namespace

std::unique_ptr<ArchiveReader> create_gzip_reader(const ReaderOptions* options) {
    return std::make_unique<GzipReader>(options);
}

std::u16string GzipDefaultItemName(std::u16string_view archive_path) {
    return SingleStreamItemName(archive_path);
}

bool GzipHostName(std::uint8_t os, std::u16string& name) {
    if (os >= 15) return false;
    name = kHostNames[os];
    return true;
}

GzipReader::GzipReader(const ReaderOptions* options) : SingleStreamReader(options) {}
GzipReader::~GzipReader() = default;

bool GzipReader::Open(std::u16string& path, std::span<const std::uint8_t> head,
                      std::int32_t& start_offset, int flags) {
    (void)start_offset;
    (void)flags;
    if (head.size() < 2 || head[0] != kId1 || head[1] != kId2) return false;
    collect_ = false;
    archive_name_ = path;
    cut_to_capacity(archive_name_, kPathCapacity);
    default_item_name_ = GzipDefaultItemName(path);
    auto file = std::make_unique<BufferedInputFile>();
    file->report_errors = false;
    if (!file->Open(path)) return false;
    file_size_ = std::max<std::int64_t>(file->FileLength(), 0);
    file_ = std::move(file);
    header_pending_ = true;
    return true;
}

void GzipReader::Close(ArchiveSummary& summary) {
    summary.FormatName = u"GZIP";
    inflater_.reset();
    std::vector<std::uint8_t>().swap(input_);
    output_.Release();
    collect_ = false;
    file_.reset();
}

std::u16string GzipReader::GetExtensions() { return u"gz|tgz"; }

bool GzipReader::ReadFixedHeader(FixedHeader& header) {
    std::array<int, kFixedHeaderSize> bytes{};
    for (int& b : bytes) b = file_->ReadByte();
    if (bytes[kFixedHeaderSize - 1] < 0) return false;
    header.id1 = static_cast<std::uint8_t>(bytes[0]);
    header.id2 = static_cast<std::uint8_t>(bytes[1]);
    header.cm = static_cast<std::uint8_t>(bytes[2]);
    header.flg = static_cast<std::uint8_t>(bytes[3]);
    header.mtime = static_cast<std::uint32_t>(bytes[4]) | static_cast<std::uint32_t>(bytes[5]) << 8 |
                   static_cast<std::uint32_t>(bytes[6]) << 16 | static_cast<std::uint32_t>(bytes[7]) << 24;
    header.xfl = static_cast<std::uint8_t>(bytes[8]);
    header.os = static_cast<std::uint8_t>(bytes[9]);
    return true;
}

void GzipReader::ReadTrailerFacts(ItemHeader& item) {
    std::int64_t resume = file_->Tell();
    std::int64_t size = std::max<std::int64_t>(file_->FileLength(), 0);
    item.PackedSize = static_cast<std::uint64_t>(size);
    std::array<std::uint8_t, kTrailerSize> trailer{};
    if (size >= static_cast<std::int64_t>(kTrailerSize) &&
        file_->Seek(size - static_cast<std::int64_t>(kTrailerSize), SeekMethod::begin)) {
        std::int64_t got = file_->Read(trailer.data(), trailer.size());
        if (got != static_cast<std::int64_t>(trailer.size())) trailer.fill(0);
    }
    item.HashKind = kHashCrc32;
    std::copy_n(trailer.begin(), 4, item.HashValue.begin());
    item.UnpackedSize = le32(trailer, 4);
    file_->Seek(resume, SeekMethod::begin);
    if (size > 9) item.PackedSize = static_cast<std::uint64_t>(size) - kFixedHeaderSize;
}

bool GzipReader::ReadOptionalFields(std::uint8_t flags, ItemHeader& item) {
    if (flags & kFlagExtra) {
        int low = file_->ReadByte();
        int high = file_->ReadByte();
        if (low < 0 || high < 0) return false;
        std::int64_t length = low | (high << 8);
        file_->Seek(length, SeekMethod::current);
    }
    if (flags & kFlagName) {
        std::string name;
        for (std::size_t n = 0; n < kMaxNameBytes; ++n) {
            int c = file_->ReadByte();
            if (c <= 0) break;
            if (name.size() < kMaxNameBytes - 1) name.push_back(static_cast<char>(c));
        }
        ansi_to_wide(name, item.Name, kItemNameCapacity);
    }
    if (flags & kFlagComment) {
        for (std::size_t n = 0; n < kMaxCommentBytes; ++n) {
            if (file_->ReadByte() <= 0) break;
        }
    }
    // The header checksum comes last, after the name and the comment.
    if (flags & kFlagHeaderCrc) file_->Seek(2, SeekMethod::current);
    return true;
}

int GzipReader::ReadItem(ItemHeader& item) {
    if (!file_ || !header_pending_) return kNoMoreItems;
    header_pending_ = false;
    try {
        if (!ReadFixedHeader(header_)) return kItemDamagedSource;
        ReadTrailerFacts(item);
        if (!ReadOptionalFields(header_.flg, item)) return kItemDamagedSource;
        if (item.Name.empty()) item.Name = default_item_name_;
        if (item.Name.back() == u'/') {
            item.IsDirectory = true;
            item.Attributes = kAttrDirectory;
        }
        item.ModTime = header_.mtime == 0 ? time_now() : time_from_unix(header_.mtime);
        item.HasItemComment = (header_.flg & kFlagComment) != 0;
        item.IsEncrypted = (header_.flg & kFlagEncrypted) != 0;
        std::u16string host;
        if (GzipHostName(header_.os, host)) item.HostOS = host;
        return kItemRead;
    } catch (const KUB_EXIT&) {
        throw;
    } catch (...) {
        return kItemDamagedSource;
    }
}

bool GzipReader::OpenStream(std::u16string_view path) {
    (void)path;
    output_.StartOver();
    stream_ended_ = false;
    input_ended_ = false;
    crc_ = 0xFFFFFFFFu;
    collect_ = false;
    if (!file_) return false;
    inflater_ = std::make_unique<Inflater>(static_cast<InflateSource&>(*this),
                                           static_cast<InflateSink&>(*this));
    // The header is read again from the start, so a stream can follow a listing of the item.
    header_pending_ = true;
    file_->Seek(0, SeekMethod::begin);
    ItemHeader scratch;
    if (ReadItem(scratch) != kItemRead) stream_ended_ = true;
    collect_ = true;
    return true;
}

std::span<const std::uint8_t> GzipReader::Take() {
    // Whole input chunks go straight from the file into memory of our own (the buffered file
    // serves what it holds first); fewer, larger reads than its buffer would make.
    if (input_.empty()) input_.resize(kInputChunk);
    std::int64_t got = file_->Read(input_.data(), input_.size());
    if (got <= 0) return {};
    return std::span<const std::uint8_t>(input_.data(), static_cast<std::size_t>(got));
}

void GzipReader::Write(std::span<const std::uint8_t> bytes) {
    crc_ = crc32_update(crc_, bytes.data(), bytes.size());
    if (!collect_) return;
    if (discard_ != 0) {
        // Skipped data is counted as delivered without being kept.
        std::size_t dropped = static_cast<std::size_t>(std::min<std::uint64_t>(discard_, bytes.size()));
        discard_ -= dropped;
        output_.CountDropped(dropped);
        bytes = bytes.subspan(dropped);
        if (bytes.empty()) return;
    }
    if (!output_.Append(bytes)) ErrorState::out_of_memory();
}

void GzipReader::NoteInputEnd() {
    if (input_ended_ || !inflater_->input_ended()) return;
    input_ended_ = true;
    ErrorState::report(kMsgUnexpectedEnd, archive_name_);
    ErrorState::set_code(KUB_CRC_ERROR);
}

void GzipReader::EndMember() {
    stream_ended_ = true;
    std::uint64_t unused = inflater_->FinishMember();
    std::int64_t here = file_->Tell();
    if (here >= 0 && unused <= static_cast<std::uint64_t>(here)) {
        file_->Seek(here - static_cast<std::int64_t>(unused), SeekMethod::begin);
    }
    std::int64_t member_end = file_->Tell();
    std::array<std::uint8_t, kTrailerSize> trailer{};
    bool have_trailer = file_->Read(trailer.data(), trailer.size()) == static_cast<std::int64_t>(trailer.size());
    bool crc_matches = crc_ == ~le32(trailer, 0);
    FixedHeader next;
    if (!have_trailer || !ReadFixedHeader(next) || next.id1 != kId1 || next.id2 != kId2) {
        // The data has ended. The last member's checksum is checked too.
        if (have_trailer && !crc_matches) {
            ErrorState::report(kMsgDataError, archive_name_);
            ErrorState::set_code(KUB_CRC_ERROR);
        }
        file_->Seek(member_end, SeekMethod::begin);
        return;
    }
    stream_ended_ = false;
    if (!crc_matches) {
        ErrorState::report(kMsgDataError, archive_name_);
        ErrorState::set_code(KUB_CRC_ERROR);
    }
    ItemHeader scratch;
    ReadOptionalFields(next.flg, scratch);
    crc_ = 0xFFFFFFFFu;
}

void GzipReader::Produce(std::size_t count) {
    while (!stream_ended_ && output_.waiting() < count) {
        InflateStatus status = inflater_->Decode(count - output_.waiting());
        NoteInputEnd();
        if (inflater_->final_block_done()) {
            EndMember();
            continue;
        }
        if (status == InflateStatus::kInputEnded) {
            stream_ended_ = true;
            break;
        }
        if (status != InflateStatus::kOk) break;
    }
}

std::size_t GzipReader::ReadStream(std::span<std::uint8_t> buffer, bool& error) {
    error = false;
    if (!collect_ || !inflater_) return 0;
    Produce(buffer.size());
    return output_.Deliver(buffer.data(), buffer.size());
}

bool GzipReader::DiscardUpTo(std::uint64_t position) {
    while (output_.delivered() < position) {
        std::uint64_t before = output_.delivered();
        std::size_t waiting = output_.waiting();
        if (waiting != 0) {
            output_.Deliver(nullptr, static_cast<std::size_t>(std::min<std::uint64_t>(position - before, waiting)));
            continue;
        }
        // What is decoded from here up to the position is dropped as it comes, never stored.
        discard_ = position - before;
        Produce(1);
        discard_ = 0;
        if (output_.delivered() == before && output_.waiting() == 0) return false;
    }
    return true;
}

std::int64_t GzipReader::SkipTo(std::uint64_t position) {
    std::uint64_t delivered = output_.delivered();
    if (position < delivered) return kSkipToFailed;
    if (!collect_ || !inflater_) return position == delivered ? static_cast<std::int64_t>(delivered) : kSkipToDataEnded;
    if (!DiscardUpTo(position)) return kSkipToDataEnded;
    return static_cast<std::int64_t>(output_.delivered());
}

void GzipReader::CloseStream() {
    // Only when something was decoded: the rest is decoded (and its checksums checked) unless
    // the data or the input has ended.
    if (inflater_ && output_.used() && !stream_ended_ && !input_ended_) {
        DiscardUpTo(UINT64_MAX);
    }
    output_.Release();
    collect_ = false;
}

std::int64_t GzipReader::FilePosition() { return file_ ? file_->Tell() : 0; }

}  // namespace kub

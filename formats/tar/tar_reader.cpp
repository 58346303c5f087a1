#include "formats/tar/tar_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "common/error_state.h"
#include "common/files/path_ops.h"
#include "common/text/encoding.h"
#include "common/time/common_time.h"
#include "formats/format_registry.h"
#include "formats/read_progress.h"
#include "formats/reader_guard.h"
#include "formats/tar/tar_header.h"
#include "formats/tar/tar_layout.h"

namespace kub {

using namespace tar;

namespace {

constexpr std::size_t kReadWindow = 64 * 1024;

// Long-name headers followed in a row, shared by every tar reader of the process.
int g_long_name_nesting = 0;

struct NestingLevel {
    NestingLevel() { ++g_long_name_nesting; }
    ~NestingLevel() { --g_long_name_nesting; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;
};

std::string_view field_text(std::span<const std::uint8_t> block, std::size_t offset, std::size_t size) {
    const char* start = reinterpret_cast<const char*>(block.data() + offset);
    std::size_t length = 0;
    while (length < size && start[length] != '\0') ++length;
    return std::string_view(start, length);
}

bool bytes_equal(std::span<const std::uint8_t> block, std::size_t offset, const char* text, std::size_t size) {
    return std::memcmp(block.data() + offset, text, size) == 0;
}

std::uint64_t round_up_to_block(std::uint64_t value) {
    return (value + (kBlockSize - 1)) & ~static_cast<std::uint64_t>(kBlockSize - 1);
}

}  // namespace

std::unique_ptr<ArchiveReader> create_tar_reader(const ReaderOptions* options) {
    return std::make_unique<TarReader>(options);
}

TarReader::~TarReader() { ReleaseSource(); }

int TarReader::long_name_nesting() { return g_long_name_nesting; }

bool TarReader::ClaimsName(std::u16string_view path) { return IsCompressedTarName(path); }

std::u16string TarReader::GetExtensions() { return u"tar"; }

void TarReader::ReleaseSource() {
    inner_.reset();
    file_.reset();
    window_.clear();
}

bool TarReader::Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
                     int flags) {
    ReleaseSource();
    return open_guarded(
        [&] {
            if (ClaimsName(path)) {
                int index = InnerStreamReaderIndex(path);
                std::unique_ptr<ArchiveReader> made = index >= 0 ? create_format_reader(index, options()) : nullptr;
                if (auto* stream = dynamic_cast<SingleStreamReader*>(made.get())) {
                    made.release();
                    inner_.reset(stream);
                    std::int32_t inner_offset = 0;
                    if (!inner_->Open(path, head, inner_offset, flags)) {
                        ArchiveSummary scratch;
                        inner_->Close(scratch);
                        inner_.reset();
                    }
                }
            }
            if (!inner_ && !PassesHeaderTest(head, !has_extension(path, u"tar"))) return false;

            archive_name_ = path;
            cut_to_capacity(archive_name_, kPathCapacity);
            if (inner_) {
                if (!inner_->OpenStream(path)) {
                    ArchiveSummary scratch;
                    inner_->Close(scratch);
                    inner_.reset();
                    return false;
                }
            } else {
                auto file = std::make_unique<DiskFile>();
                file->report_errors = false;
                if (!file->Open(path)) return false;
                file_size_ = static_cast<std::uint64_t>(std::max<std::int64_t>(file->FileLength(), 0));
                file_ = std::move(file);
            }
            position_ = 0;
            read_at_ = 0;
            start_offset = 0;
            return true;
        },
        [this] { ReleaseSource(); });
}

void TarReader::Close(ArchiveSummary& summary) {
    std::u16string format = u"TAR";
    if (inner_) {
        // Closing the stream decodes the rest of a partly read one (and checks it).
        inner_->CloseStream();
        ArchiveSummary inner_summary;
        inner_->Close(inner_summary);
        format += u"+";
        format += inner_summary.FormatName;
        cut_to_capacity(format, kFormatNameCapacity);
    }
    summary.FormatName = format;
    ReleaseSource();
}

bool TarReader::SeekSource(std::uint64_t position, int& result) {
    if (inner_) {
        std::int64_t reached = inner_->SkipTo(position);
        if (reached == kSkipToFailed) {
            result = kItemReadFailure;
            return false;
        }
        if (reached < 0) {
            result = kNoMoreItems;
            return false;
        }
        return true;
    }
    if (position > file_size_) {
        result = kItemBadHeader;
        return false;
    }
    read_at_ = position;
    return true;
}

std::int64_t TarReader::ReadSource(std::span<std::uint8_t> buffer) {
    if (inner_) {
        bool error = false;
        std::size_t total = 0;
        // A stream may deliver less than asked before its end; ask until it gives nothing.
        while (total < buffer.size()) {
            std::size_t got = inner_->ReadStream(buffer.subspan(total), error);
            if (error) return -1;
            if (got == 0) break;
            total += got;
        }
        return static_cast<std::int64_t>(total);
    }
    std::uint64_t end = window_start_ + window_.size();
    if (read_at_ < window_start_ || read_at_ >= end || end - read_at_ < buffer.size()) {
        window_.resize(kReadWindow);
        std::size_t got = 0;
        if (file_->Seek(static_cast<std::int64_t>(read_at_), SeekMethod::begin)) {
            while (got < window_.size()) {
                std::int64_t n = file_->Read(window_.data() + got, window_.size() - got);
                if (n < 0 && got == 0) {
                    window_.clear();
                    return -1;
                }
                if (n <= 0) break;
                got += static_cast<std::size_t>(n);
            }
        }
        window_.resize(got);
        note_archive_bytes_read(got);
        window_start_ = read_at_;
        end = window_start_ + got;
    }
    std::size_t available = static_cast<std::size_t>(end - read_at_);
    std::size_t n = std::min(buffer.size(), available);
    std::memcpy(buffer.data(), window_.data() + (read_at_ - window_start_), n);
    read_at_ += n;
    return static_cast<std::int64_t>(n);
}

int TarReader::ReadItem(ItemHeader& item) {
    if (!inner_ && !file_) return kNoMoreItems;
    return ReadHeaders(item, false);
}

int TarReader::ReadHeaders(ItemHeader& item, bool nested) {
    for (;;) {
        bool extended = false;
        int result = ReadOneHeader(item, nested, extended);
        if (result != kItemRead || !extended) return result;
        item = ItemHeader{};
    }
}

int TarReader::ReadOneHeader(ItemHeader& item, bool nested, bool& extended) {
    int failure = kItemRead;
    if (!SeekSource(position_, failure)) return failure;

    std::array<std::uint8_t, kBlockSize> block{};
    std::int64_t got = ReadSource(block);
    if (got < 0) return kItemReadFailure;
    if (got == 0) return kNoMoreItems;
    if (got < static_cast<std::int64_t>(kBlockSize)) return inner_ ? kNoMoreItems : kItemReadFailure;

    auto prefix_used = [&] {
        return bytes_equal(block, kMagic, kPosixMagic, sizeof kPosixMagic) && block[kPrefix] != 0;
    };
    if (block[kName] == 0 && block[kPrefix] == 0 && bytes_equal(block, kMagic, kGnuMagic, sizeof kGnuMagic)) {
        // A GNU header with neither name nor prefix stands in front of the real one.
        got = ReadSource(block);
        if (got < 0) return kItemReadFailure;
        if (got < static_cast<std::int64_t>(kBlockSize)) return kNoMoreItems;
        position_ += kBlockSize;
    }
    bool with_prefix = prefix_used();
    if (block[kName] == 0 && !with_prefix) return kNoMoreItems;
    if (!PassesHeaderTest(block, false)) return kItemDamagedSource;

    char type = static_cast<char>(block[kTypeFlag]);
    std::uint64_t mode = ParseNumber(std::span<const std::uint8_t>(block).subspan(kMode, kModeSize));
    item.IsDirectory = (mode & kModeDirectory) != 0 || type == kTypeDirectory;

    std::u16string name;
    if (with_prefix) {
        ansi_to_wide(field_text(block, kPrefix, kPrefixSize), name, kItemNameCapacity);
        if (!name.empty() && name.back() != u'/' && name.back() != u'\\') name += u'\\';
    }
    std::u16string base;
    ansi_to_wide(field_text(block, kName, kNameSize), base);
    name += base;
    cut_to_capacity(name, kItemNameCapacity);

    std::uint64_t size = ParseNumber(std::span<const std::uint8_t>(block).subspan(kSize, kSizeSize));
    item.UnpackedSize = size;
    item.PackedSize = size;
    std::uint64_t mtime = ParseNumber(std::span<const std::uint8_t>(block).subspan(kMtime, kMtimeSize));
    item.ModTime = time_from_unix(static_cast<std::int64_t>(std::min<std::uint64_t>(mtime, INT64_MAX)));
    if (type == kTypeHardLink || type == kTypeSymLink) item.PackedSize = 0;

    bool long_name = field_text(block, kName, kNameSize) == kLongLinkName || type == kTypeGnuLongLink ||
                     type == kTypeGnuLongName;
    if (!name.empty() && name.back() == u'/') {
        name.pop_back();
        if (!nested) item.IsDirectory = true;
    }
    std::replace(name.begin(), name.end(), u'/', u'\\');
    item.Name = name;
    if (item.IsDirectory && !long_name && type != kTypeGnuDumpDir && type != kTypePaxExtended &&
        type != kTypePaxGlobal)
        item.PackedSize = 0;

    std::uint64_t old_position = position_;
    std::uint64_t data_start = position_ + kBlockSize;
    if (item.PackedSize > UINT64_MAX - data_start - kBlockSize) return kItemDamagedSource;
    std::uint64_t next = round_up_to_block(data_start + item.PackedSize);
    if (next <= old_position) return kItemDamagedSource;
    position_ = next;
    extended = type == kTypePaxExtended || type == kTypePaxGlobal;

    if (long_name) {
        std::array<std::uint8_t, kMaxLongNameBytes + 1> data{};
        std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(size, kMaxLongNameBytes));
        std::int64_t read = ReadSource(std::span<std::uint8_t>(data.data(), wanted));
        if (read < 0) return kItemReadFailure;
        data[static_cast<std::size_t>(read)] = 0;
        std::u16string long_text;
        ansi_to_wide(reinterpret_cast<const char*>(data.data()), long_text, kItemNameCapacity);
        // A long directory name ends in "/" as a short one does; it goes the same way.
        if (!long_text.empty() && long_text.back() == u'/') long_text.pop_back();
        std::replace(long_text.begin(), long_text.end(), u'/', u'\\');
        NestingLevel level;
        if (g_long_name_nesting < kLongNameNestingLimit) {
            ItemHeader following;
            int result = ReadHeaders(following, true);
            item = following;
            if (type != kTypeGnuLongLink) item.Name = long_text;
            return result;
        }
        // Too many in a row: this header is the item.
        if (type == kTypeGnuLongName) item.Name = long_text;
    }

    if (type == kTypeGnuSparse) {
        ErrorState::report(kMsgFatal, item.Name);
        ErrorState::set_code(KUB_FATAL_ERROR);
        ErrorState::report(kMsgUnsupportedFeature, archive_name_, u"sparse file");
    }
    if (inner_) item.PackedSize = UnknownSize;
    if (item.IsDirectory) item.Attributes = kAttrDirectory;
    return kItemRead;
}

}  // namespace kub

#include "formats/zip/zip_reader.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "common/text/char_class.h"
#include "common/text/number_text.h"
#include "common/files/path_ops.h"
#include "formats/byte_reader.h"
#include "formats/format_registry.h"
#include "formats/zip/zip_entry.h"
#include "formats/zip/zip_format.h"
#include "formats/zip/zip_locate.h"

namespace kub {

using namespace zip;

namespace {

// The comment search reads this much from the end: the end record and a comment of up to 32 KiB.
constexpr std::size_t kCommentSearchBytes = 0x8100;
constexpr std::size_t kReadWindow = 64 * 1024;

std::size_t read_at(DiskFile& file, std::uint64_t offset, std::span<std::uint8_t> buffer) {
    if (offset > static_cast<std::uint64_t>(INT64_MAX) ||
        !file.Seek(static_cast<std::int64_t>(offset), SeekMethod::begin))
        return 0;
    std::size_t total = 0;
    while (total < buffer.size()) {
        std::int64_t got = file.Read(buffer.data() + total, buffer.size() - total);
        if (got <= 0) break;
        total += static_cast<std::size_t>(got);
    }
    return total;
}

std::unique_ptr<DiskFile> open_quietly(std::u16string_view path) {
    auto file = std::make_unique<DiskFile>();
    file->report_errors = false;
    if (!file->Open(path)) return nullptr;
    return file;
}

// ".z01" and the like: a piece of a split archive other than the last.
bool is_split_piece_extension(std::u16string_view ext) {
    return ext.size() == 4 && (ext[1] == u'z' || ext[1] == u'Z') && is_digit(ext[2]) && is_digit(ext[3]);
}

}  // namespace

std::unique_ptr<ArchiveReader> create_zip_reader(const ReaderOptions* options) {
    return std::make_unique<ZipReader>(options);
}

bool ZipReader::Open(std::u16string& path, std::span<const std::uint8_t> head,
                     std::int32_t& start_offset, int flags) {
    try {
        return OpenChecked(path, head, start_offset, flags);
    } catch (...) {
        file_.reset();
        return false;
    }
}

bool ZipReader::OpenChecked(std::u16string& path, std::span<const std::uint8_t> head,
                            std::int32_t& start_offset, int flags) {
    file_.reset();
    zip64_ = false;
    bool zip_name_required = false;
    std::uint32_t first_header = 0;
    if (auto found = find_first_local_header(head)) {
        first_header = *found;
    } else {
        // Without a local header in the head only the name vouches for the file.
        if (!has_extension(path, u"zip")) return false;
        zip_name_required = true;
    }
    start_offset = static_cast<std::int32_t>(first_header);
    // A piece of a spanned set starts with a marker that is part of the archive, not an SFX stub.
    sfx_size_ = (first_header == 4 && signature_at(head, 0) == kSpanningMarkerSig) ? 0 : first_header;

    file_ = open_quietly(path);
    if (!file_) return false;
    window_.clear();
    has_comment_ = false;
    std::int64_t length = file_->FileLength();
    file_size_ = length > 0 ? static_cast<std::uint64_t>(length) : 0;

    ReadAt reader = [this](std::uint64_t offset, std::span<std::uint8_t> buffer) {
        return read_at(*file_, offset, buffer);
    };
    if (auto where = find_central_directory(reader, file_size_)) {
        walk_mode_ = false;
        zip64_ = where->zip64;
        next_record_ = settle_central_directory_start(reader, *where);
        return true;
    }

    walk_mode_ = true;
    if (zip_name_required) {
        file_.reset();
        return false;
    }
    // name.z01 holds no directory; it lives in the set's last piece, name.zip.
    if (is_split_piece_extension(extension(path))) {
        std::u16string last_piece = path;
        replace_extension(last_piece, u"zip");
        if (open_quietly(last_piece)) {
            file_.reset();
            path = last_piece;
            return OpenChecked(path, head, start_offset, flags);
        }
    }
    next_record_ = first_header;
    return true;
}

void ZipReader::Close(ArchiveSummary& summary) {
    summary.FormatName = zip64_ ? u"ZIP64" : u"ZIP";
    summary.SfxSize = sfx_size_;
    summary.HasComment = has_comment_;
    file_.reset();
}

int ZipReader::ReadItem(ItemHeader& item) {
    if (!file_) return kNoMoreItems;
    try {
        return ReadItemChecked(item);
    } catch (...) {
        return kItemReadFailure;
    }
}

std::size_t ZipReader::ReadThroughWindow(std::uint64_t offset, std::span<std::uint8_t> buffer) {
    if (buffer.size() > kReadWindow) return read_at(*file_, offset, buffer);
    bool inside = offset >= window_start_ && offset - window_start_ <= window_.size() &&
                  window_.size() - (offset - window_start_) >= buffer.size();
    if (!inside) {
        window_.resize(kReadWindow);
        window_.resize(read_at(*file_, offset, window_));
        window_start_ = offset;
    }
    std::size_t at = static_cast<std::size_t>(offset - window_start_);
    std::size_t n = std::min(buffer.size(), window_.size() - std::min(at, window_.size()));
    std::copy_n(window_.begin() + static_cast<std::ptrdiff_t>(at), n, buffer.begin());
    return n;
}

bool ZipReader::ReadExactly(std::uint64_t offset, std::span<std::uint8_t> buffer) {
    return ReadThroughWindow(offset, buffer) == buffer.size();
}

int ZipReader::ReadItemChecked(ItemHeader& item) {
    std::uint64_t pos = next_record_;
    if (pos > file_size_) return kItemBadHeader;

    HeaderKind kind = walk_mode_ ? HeaderKind::kLocal : HeaderKind::kCentral;
    std::array<std::uint8_t, central::kSize> fixed_buffer{};
    std::span<std::uint8_t> fixed(fixed_buffer.data(), fixed_size(kind));
    std::size_t got = ReadThroughWindow(pos, fixed);

    std::uint32_t sig = signature_at(fixed, 0);
    if (walk_mode_) {
        if (got < fixed.size()) return kItemReadFailure;
        if (fixed[0] != 'P' || fixed[1] != 'K') return kItemBadHeader;
        if (sig == kCentralHeaderSig || sig == kEndRecordSig || sig == kZip64EndRecordSig)
            return kNoMoreItems;
    } else {
        // The end record with a short comment is shorter than a directory header: it ends the
        // directory however few bytes follow its signature.
        if (got >= 4 && (sig == kEndRecordSig || sig == kZip64EndRecordSig)) {
            if (!ReadZipComment(*file_).empty()) has_comment_ = true;
            return kNoMoreItems;
        }
        if (got < fixed.size()) return kItemReadFailure;
        if (sig != kCentralHeaderSig) return kItemBadHeader;
    }

    std::uint64_t after_fixed = pos + fixed.size();
    std::size_t variable_length = variable_size(kind, fixed);
    if (after_fixed > file_size_ || variable_length > file_size_ - after_fixed) return kItemBadHeader;
    std::vector<std::uint8_t> variable(variable_length);
    if (!ReadExactly(after_fixed, variable)) return kItemBadHeader;

    EntryFacts facts;
    decode_entry(kind, fixed, variable, item, facts);
    if (facts.zip64) zip64_ = true;

    std::uint64_t next = after_fixed + variable_length;
    if (walk_mode_) next = item.PackedSize > UINT64_MAX - next ? UINT64_MAX : next + item.PackedSize;
    if (next <= pos) return kItemDamagedSource;
    next_record_ = next;
    return kItemRead;
}

std::u16string ZipReader::GetExtensions() { return u"zip|zipx|z##|jar"; }

void ZipReader::NextVolumeName(std::u16string& name) {
    std::u16string_view ext = extension(name);
    if (ext.size() < 2) {
        name.clear();
        return;
    }
    std::u16string next;
    if (has_extension(name, u"zip")) {
        next = u"z01";
    } else if (ext[1] == u'z' || ext[1] == u'Z') {
        std::uint64_t number = parse_decimal(ext.substr(2)) + 1;
        char digits[24];
        std::snprintf(digits, sizeof digits, "%02llu", static_cast<unsigned long long>(number));
        next.assign(1, ext[1]);
        for (const char* d = digits; *d; ++d) next.push_back(static_cast<char16_t>(*d));
    } else {
        name.clear();
        return;
    }
    replace_extension(name, next);
}

std::vector<std::uint8_t> ReadZipComment(std::u16string_view path) {
    try {
        auto file = open_quietly(path);
        if (!file) return {};
        return ReadZipComment(*file);
    } catch (...) {
        return {};
    }
}

std::vector<std::uint8_t> ReadZipComment(DiskFile& file) {
    std::int64_t length = file.FileLength();
    if (length <= 0) return {};
    std::uint64_t size = static_cast<std::uint64_t>(length);
    std::size_t block_size = static_cast<std::size_t>(std::min<std::uint64_t>(size, kCommentSearchBytes));
    std::vector<std::uint8_t> block(block_size);
    block.resize(read_at(file, size - block_size, block));
    // From the end backwards, down to the block's first byte: an empty archive with a comment
    // has its end record there.
    if (block.size() < end_record::kSize) return {};
    for (std::size_t at = block.size() - end_record::kSize + 1; at-- > 0;) {
        if (block[at] != 'P' || signature_at(block, at) != kEndRecordSig) continue;
        std::size_t declared = le16(block, at + end_record::kCommentLength);
        std::size_t available = block.size() - at - end_record::kSize;
        std::size_t take = std::min(declared, available);
        auto first = block.begin() + static_cast<std::ptrdiff_t>(at + end_record::kSize);
        return std::vector<std::uint8_t>(first, first + static_cast<std::ptrdiff_t>(take));
    }
    return {};
}

}  // namespace kub

#include "formats/kub/kub_reader.h"

#include <algorithm>
#include <new>

#include "common/files/disk_file.h"
#include "common/error_state.h"
#include "common/files/volume_name.h"
#include "formats/kub/kub_archive.h"
#include "formats/kub/kub_byte_source.h"
#include "formats/kub/kub_item_conversion.h"
#include "formats/kub/kub_signature.h"

namespace kub {

namespace {

constexpr char16_t kFormatName[] = u"KUB";
constexpr char16_t kFormatNameFive[] = u"KUB 5.0";

// The archive file as the header walk reads it.
class FileSource final : public kubfmt::ByteSource {
public:
    explicit FileSource(DiskFile& file) : file_(file) {}
    std::int64_t read(std::uint8_t* buffer, std::size_t size) override { return file_.Read(buffer, size); }
    bool seek(std::uint64_t position) override {
        return position <= static_cast<std::uint64_t>(INT64_MAX) &&
               file_.Seek(static_cast<std::int64_t>(position), SeekMethod::begin);
    }
    std::uint64_t tell() override {
        std::int64_t at = file_.Tell();
        return at < 0 ? 0 : static_cast<std::uint64_t>(at);
    }

private:
    DiskFile& file_;
};

}  // namespace

struct KubArchiveReader::OpenArchive {
    explicit OpenArchive(bool use_quick_open) : source(file), archive(source, use_quick_open) {}
    DiskFile file;
    FileSource source;
    kubfmt::KubArchive archive;
};

KubArchiveReader::KubArchiveReader(const ReaderOptions* options) : ArchiveReader(options) {
    if (options) options_ = *options;
}

KubArchiveReader::~KubArchiveReader() = default;

std::unique_ptr<ArchiveReader> create_kub_reader(const ReaderOptions* options) {
    return std::make_unique<KubArchiveReader>(options);
}

bool KubArchiveReader::Open(std::u16string& path, std::span<const std::uint8_t> head,
                            std::int32_t& start_offset, int flags) {
    (void)flags;
    open_.reset();
    if (options()) options_ = *options();
    // Most files the shell asks about are not archives: when the head holds everything the
    // signature search would read, a file without a signature is refused without opening it.
    const bool head_decides = head.size() >= kubfmt::kSignatureSize + kubfmt::kSfxSearchBytes ||
                              (!head.empty() && head.size() < kHeadBytes);
    if (head_decides &&
        !kubfmt::find_signature(head.first(std::min(head.size(), kubfmt::kSignatureSize + kubfmt::kSfxSearchBytes))))
        return false;
    try {
        auto open = std::make_unique<OpenArchive>(options_.use_quick_open);
        open->file.report_errors = false;
        if (!open->file.Open(path) || open->file.IsDevice()) return false;
        if (!open->archive.open()) return false;
        start_offset = static_cast<std::int32_t>(open->archive.sfx_size());
        open_ = std::move(open);
        return true;
    } catch (const std::bad_alloc&) {
        ErrorState::out_of_memory();
    }
}

void KubArchiveReader::Close(ArchiveSummary& summary) {
    if (!open_) return;
    const kubfmt::KubArchive& a = open_->archive;
    bool five = a.generation() == kubfmt::kGenerationFive;
    summary.FormatName = five ? kFormatNameFive : kFormatName;
    summary.IsKub5 = five;
    summary.SfxSize = static_cast<std::int64_t>(a.sfx_size());
    summary.IsVolume = a.volume();
    if (a.volume()) {
        summary.IsFirstVolume = a.first_volume();
        summary.VolumeNumber = a.volume_number();
    }
    summary.HasComment = a.has_comment();
    summary.IsLocked = a.locked();
    summary.IsSolid = a.solid();
    summary.HeadersEncrypted = a.headers_encrypted();
    summary.HeaderErrors = a.header_errors();
    summary.RecoverySize = 0;
    summary.RecoveryPercent = 0;
    if (a.recovery_present()) {
        summary.RecoverySize = a.recovery_size();
        summary.RecoveryPercent = static_cast<std::uint32_t>(a.recovery_percent());
    }
    bool new_naming = five || (a.new_naming() && a.generation() != kubfmt::kGenerationOldest);
    old_volume_naming_ = !new_naming;
    open_.reset();
}

int KubArchiveReader::ReadItem(ItemHeader& item) {
    if (!open_) return kNoMoreItems;
    try {
        kubfmt::ParsedHeader h;
        if (!open_->archive.next_item(h)) return kNoMoreItems;
        item = kubfmt::to_item_header(h.item, open_->archive.generation());
        return kItemRead;
    } catch (const std::bad_alloc&) {
        ErrorState::out_of_memory();
    }
}

void KubArchiveReader::NextVolumeName(std::u16string& name) {
    AdvanceVolumeName(name, kPathCapacity, old_volume_naming_);
}

}  // namespace kub

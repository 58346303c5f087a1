#include "formats/format_registry.h"

#include <new>

#include "common/error_state.h"

namespace kub {

ReaderOptions& process_reader_options() {
    static ReaderOptions options;
    return options;
}

std::unique_ptr<ArchiveReader> create_format_reader(int index, const ReaderOptions* options) {
    switch (index) {
        case kKubReaderIndex:
            return create_kub_reader(options);
        case kZipReaderIndex:
            return create_zip_reader(options);
        case kSevenZipReaderIndex:
            return create_sevenzip_reader(options);
        case kGzipReaderIndex:
            return create_gzip_reader(options);
        case kBzip2ReaderIndex:
            return create_bzip2_reader(options);
        case kXzReaderIndex:
            return create_xz_reader(options);
        case kTarReaderIndex:
            return create_tar_reader(options);
        case kUdfReaderIndex:
            return create_udf_reader(options);
        case kIsoReaderIndex:
            return create_iso_reader(options);
        case kLzhReaderIndex:
            return create_lzh_reader(options);
        case kArjReaderIndex:
            return create_arj_reader(options);
        case kCabReaderIndex:
            return create_cab_reader(options);
        case kAceReaderIndex:
            return create_ace_reader(options);
        case kUueReaderIndex:
            return create_uue_reader(options);
        case kZReaderIndex:
            return create_z_reader(options);
        default:
            return nullptr;
    }
}

FormatRegistry::~FormatRegistry() {
    for (auto& slot : slots_) slot.reset();
}

void FormatRegistry::ensure_created(const ReaderOptions* options) {
    if (created_) return;
    try {
        for (int i = 0; i < kFormatReaderCount; ++i) slots_[i] = create_format_reader(i, options);
    } catch (const std::bad_alloc&) {
        for (auto& slot : slots_) slot.reset();
        ErrorState::out_of_memory();
    }
    count_ = kFormatReaderCount;
    created_ = true;
}

void FormatRegistry::replace_reader(int index, std::unique_ptr<ArchiveReader> reader) {
    if (index < 0 || index >= count_) return;
    if (index == current_) current_ = -1;
    slots_[static_cast<std::size_t>(index)] = std::move(reader);
}

ArchiveReader* FormatRegistry::reader(int index) const {
    if (index < 0 || index >= count_) return nullptr;
    return slots_[static_cast<std::size_t>(index)].get();
}

}  // namespace kub

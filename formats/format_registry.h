#pragma once
// The fixed, ordered set of archive readers. The order is the default detection order and the
// meaning of ArchiveSummary::ReaderIndex; callers rely on 0 being KUB and 1 being ZIP.
//
// A slot whose reader has not been built stays empty (nullptr) and is skipped everywhere. To fill
// a slot, declare the reader's factory below and return it from create_format_reader
// (format_registry.cpp).
#include <array>
#include <cstddef>
#include <memory>

#include "formats/archive_reader.h"

namespace kub {

enum FormatIndex : int {
    kKubReaderIndex = 0,
    kZipReaderIndex = 1,
    kSevenZipReaderIndex = 2,
    kGzipReaderIndex = 3,
    kBzip2ReaderIndex = 4,
    kXzReaderIndex = 5,
    kTarReaderIndex = 6,
    kUdfReaderIndex = 7,
    kIsoReaderIndex = 8,
    kLzhReaderIndex = 9,
    kArjReaderIndex = 10,
    kCabReaderIndex = 11,
    kAceReaderIndex = 12,
    kUueReaderIndex = 13,
    kZReaderIndex = 14,
    kFormatReaderCount = 15,
};

inline constexpr std::size_t kMaxReaderSlots = 64;

// The options record shared by every reader of the process.
ReaderOptions& process_reader_options();

// Factories of the readers that exist, one per folder of formats/.
std::unique_ptr<ArchiveReader> create_kub_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_zip_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_sevenzip_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_gzip_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_tar_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_udf_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_iso_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_lzh_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_arj_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_cab_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_ace_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_uue_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_bzip2_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_xz_reader(const ReaderOptions* options);
std::unique_ptr<ArchiveReader> create_z_reader(const ReaderOptions* options);

// The reader for a registry index, or nullptr when that reader does not exist (yet).
std::unique_ptr<ArchiveReader> create_format_reader(int index, const ReaderOptions* options);

class FormatRegistry {
public:
    FormatRegistry() = default;
    FormatRegistry(const FormatRegistry&) = delete;
    FormatRegistry& operator=(const FormatRegistry&) = delete;
    // Destroys the readers in creation order.
    ~FormatRegistry();

    // Creates every reader once, in index order; later calls do nothing. Out of memory raises
    // KUB_MEMORY_ERROR through ErrorState.
    void ensure_created(const ReaderOptions* options);
    bool created() const { return created_; }

    // Number of slots created (kFormatReaderCount once created, else 0).
    int count() const { return count_; }
    // The reader in a slot; nullptr for an empty slot or an index out of range.
    ArchiveReader* reader(int index) const;
    // Puts another reader into a created slot (stand-in readers of tests, readers of plug-ins).
    void replace_reader(int index, std::unique_ptr<ArchiveReader> reader);

    // The recognising reader, -1 when none.
    int current() const { return current_; }
    void set_current(int index) { current_ = index; }
    ArchiveReader* current_reader() const { return reader(current_); }

private:
    std::array<std::unique_ptr<ArchiveReader>, kMaxReaderSlots> slots_{};
    int count_ = 0;
    int current_ = -1;
    bool created_ = false;
};

}  // namespace kub

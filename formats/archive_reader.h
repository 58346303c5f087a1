#pragma once
// The interface every archive format reader implements, and the two records readers fill.
//
// A reader is idle until Open recognises a file, then open until Close. The analysis zero-fills
// an ItemHeader before every ReadItem, so a field a reader leaves alone reads as zero. Readers
// never throw except for KUB_EXIT (out of memory, user break) raised through ErrorState; the
// analysis catches everything else at its boundary too.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kub {

// A size the archive does not record. Both 32-bit halves are 0x7FFFFFFF (not all ones); sums
// skip it.
inline constexpr std::uint64_t UnknownSize = 0x7FFFFFFF7FFFFFFFull;

// Capacities in UTF-16 units, terminator included (the text itself is one unit shorter).
inline constexpr std::size_t kPathCapacity = 2048;
inline constexpr std::size_t kItemNameCapacity = 2048;
inline constexpr std::size_t kHostOsCapacity = 64;
inline constexpr std::size_t kFormatNameCapacity = 64;
inline constexpr std::size_t kHostOsListCapacity = 64;
inline constexpr std::size_t kExtensionListCapacity = 128;

// The head of a file offered to every reader during detection.
inline constexpr std::size_t kHeadBytes = 1024 * 1024;

// Cuts text to what a buffer of `capacity` units (terminator included) holds.
inline void cut_to_capacity(std::u16string& text, std::size_t capacity) {
    if (capacity != 0 && text.size() >= capacity) text.resize(capacity - 1);
}

// The process-wide options every reader is constructed with.
struct ReaderOptions {
    bool use_quick_open = true;  // KUB 5.0: list from the quick-open copy of the headers
};

// Values of ItemHeader::HashKind and ArchiveSummary::SummaryHashKind.
enum HashKindValue : std::uint32_t {
    kHashNone = 0,
    kHashChecksum16 = 1,
    kHashCrc32 = 2,
    kHashBlake2sp = 3,
    kHashMixed = 4,  // summary only: the items differ
};

// Windows file attribute bits the readers report.
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrNormal = 0x80;

// ItemHeader::ItemFlags bits, set by the analysis.
inline constexpr std::uint32_t kItemFlagEncrypted = 0x1;
inline constexpr std::uint32_t kItemFlagSplitBefore = 0x2;
inline constexpr std::uint32_t kItemFlagSplitAfter = 0x4;

// One archive item as ReadItem reports it.
struct ItemHeader {
    std::u16string Name;            // at most kItemNameCapacity - 1 units; "/" becomes "\"
    std::u16string HostOS;          // at most kHostOsCapacity - 1 units; empty when unknown
    std::uint64_t UnpackedSize = 0; // UnknownSize when not recorded
    std::uint64_t PackedSize = 0;   // UnknownSize when not recorded
    std::uint64_t ModTime = 0;      // FILETIME: 100 ns units since 1601-01-01 UTC
    std::uint32_t Attributes = 0;   // Windows attributes
    std::uint32_t DictSizeKB = 0;
    std::uint32_t UnpackVersion = 0;  // major * 256 + minor
    std::uint32_t HashKind = kHashNone;
    std::array<std::uint8_t, 32> HashValue{};  // uint32 in the first 4 bytes for kinds 1 and 2
    std::uint32_t LinkType = 0;
    bool IsDirectory = false;
    bool HasItemComment = false;
    bool IsSolidItem = false;
    bool IsEncrypted = false;
    bool SplitBefore = false;
    bool SplitAfter = false;
    std::uint32_t ItemFlags = 0;  // kItemFlag* bits; written by the analysis, never by readers
};

// The archive-wide facts. The first group is written by the recognising reader's Close, the
// second by the analysis; whatever nobody writes stays zero.
struct ArchiveSummary {
    // Written by Close.
    std::u16string FormatName;  // at most kFormatNameCapacity - 1 units
    bool IsKub5 = false;
    bool IsVolume = false;
    bool IsFirstVolume = false;  // then adjusted by the analysis
    std::uint32_t VolumeNumber = 0;
    std::uint64_t RecoverySize = 0;     // all ones: present, size not known
    std::uint32_t RecoveryPercent = 0;  // all ones: not measured
    std::int64_t SfxSize = 0;
    bool HasComment = false;
    bool IsLocked = false;
    bool IsSolid = false;
    bool HeadersEncrypted = false;
    bool HeaderErrors = false;
    // Written by the analysis.
    std::uint32_t ReaderIndex = 0;
    std::u16string HostOSList;  // at most kHostOsListCapacity - 1 units
    std::uint32_t MaxUnpackVersion = 0;
    std::int32_t ItemCount = 0;
    std::int32_t FileCount = 0;
    std::uint32_t SummaryHashKind = kHashNone;
    std::int64_t TotalUnpacked = 0;
    std::int64_t TotalPacked = 0;
    std::uint64_t MaxDictSizeKB = 0;
    bool AnyEncrypted = false;
    bool IsLastVolume = false;
};

// Results of ReadItem. Readers may answer other values too; every nonzero answer ends the listing.
enum ReadItemResult : int {
    kItemRead = 0,
    kNoMoreItems = 1,
    kItemDamagedSource = 2,
    kItemBadHeader = 3,
    kItemReadFailure = 4,
    kItemBreakOrEncrypted = 5,
};

// Open flag bit 0: the file is a further volume of a set already opened.
inline constexpr int kOpenFurtherVolume = 0x1;

// The reader interface. The virtual operations are declared in their slot order; every slot but
// Open has a base default.
class ArchiveReader {
public:
    explicit ArchiveReader(const ReaderOptions* options) : options_(options) {}
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    // Slot 0.
    virtual ~ArchiveReader() = default;

    // Slot 1. Recognises and opens the archive. `head` holds the file's first min(file size,
    // kHeadBytes) bytes, so a nonempty head shorter than kHeadBytes is the whole file (a caller
    // without one passes an empty head and the reader reads for itself); `start_offset` receives
    // where the archive data starts in the file. A reader may replace `path` with the name of the
    // file it actually opened (at most kPathCapacity - 1).
    virtual bool Open(std::u16string& path, std::span<const std::uint8_t> head,
                      std::int32_t& start_offset, int flags) = 0;

    // Slot 2. Writes the reader's part of the summary and releases the open archive. Also called
    // on a reader that recognised the file but lost the detection contest (with a scratch record).
    virtual void Close(ArchiveSummary& summary) { (void)summary; }

    // Slot 3. True when the full file name obliges the analysis to try this reader first.
    virtual bool ClaimsName(std::u16string_view path) {
        (void)path;
        return false;
    }

    // Slot 4. Fills `item` (zero-filled by the caller); see ReadItemResult.
    virtual int ReadItem(ItemHeader& item) {
        (void)item;
        return kNoMoreItems;
    }

    // Slot 5. The extension pattern list: patterns separated by "|", "#" stands for one digit.
    // At most kExtensionListCapacity - 1 units.
    virtual std::u16string GetExtensions() { return {}; }

    // Slot 6. Rewrites the name of the volume just read into the next volume's name (at most
    // kPathCapacity - 1 units); empty when there is no next volume.
    virtual void NextVolumeName(std::u16string& name) { name.clear(); }

    // Slot 7. The archive comment as bytes; empty when there is none.
    virtual std::vector<std::uint8_t> GetComment(std::u16string_view path) {
        (void)path;
        return {};
    }

    // Slot 8. The archive comment as UTF-16; empty when there is none.
    virtual std::u16string GetCommentW(std::u16string_view path) {
        (void)path;
        return {};
    }

protected:
    const ReaderOptions* options() const { return options_; }

private:
    const ReaderOptions* options_;
};

// Results of SingleStreamReader::SkipTo besides the new position.
inline constexpr std::int64_t kSkipToFailed = -1;    // behind what was delivered, or a read error
inline constexpr std::int64_t kSkipToDataEnded = -2; // the data ended before the position

// The single-stream readers (gzip, bzip2, xz, compress) also deliver their decompressed data as a
// forward-only stream, through which the tar reader lists a compressed tar. Slots 9 to 12.
class SingleStreamReader : public ArchiveReader {
public:
    using ArchiveReader::ArchiveReader;

    // Slot 9. Starts decompression of the open file; used after Open.
    virtual bool OpenStream(std::u16string_view path) = 0;
    // Slot 10. Ends decompression and frees what it used.
    virtual void CloseStream() = 0;
    // Slot 11. Up to `buffer.size()` decompressed bytes; 0 when the data has ended. `error` is
    // cleared and set only by readers that detect damage.
    virtual std::size_t ReadStream(std::span<std::uint8_t> buffer, bool& error) = 0;
    // Slot 12. Moves forward to an absolute decompressed position; the new position, or
    // kSkipToFailed / kSkipToDataEnded.
    virtual std::int64_t SkipTo(std::uint64_t position) = 0;
};

}  // namespace kub

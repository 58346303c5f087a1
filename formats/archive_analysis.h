#pragma once
// Whether a file is an archive, of which format, and what it holds: detection by name and by
// content over the format registry, listing of every item, following of multi-volume sets and
// the totals of the ArchiveSummary.
//
// One object serves one caller at a time: construct, Analyze, read summary(), destroy. Analyze
// leaves no archive open and never lets an exception out.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/archive_reader.h"
#include "formats/format_registry.h"

namespace kub {

// Results of Analyze.
enum AnalyzeResult : int {
    kAnalyzeFailed = -1,      // the file could not be opened or read, or the analysis failed
    kAnalyzeNotArchive = 0,
    kAnalyzeArchive = 1,
    kAnalyzeUserBreak = 2,
};

// Results of DetectFormat.
enum DetectResult : int {
    kDetectRecognised = 0,
    kDetectUnreadable = 1,
    kDetectUnknown = 2,
    kDetectUserBreak = 3,
};

// Bits of Analyze's volume mode.
inline constexpr int kVolumeModeFollowAll = 0x1;  // follow every volume whatever the setting
inline constexpr int kVolumeModeNoFollow = 0x2;   // do not follow volumes

// Where the "AllVolumes" setting lives, and the user's own archive extensions.
inline constexpr std::u16string_view kFileListKey = u"FileList";
inline constexpr std::u16string_view kAllVolumesValue = u"AllVolumes";
inline constexpr std::u16string_view kSetupKey = u"Setup";
inline constexpr std::u16string_view kCustomExtValue = u"CustomExt";
inline constexpr std::size_t kCustomExtCapacity = 1024;

// String id of the text meaning "unknown".
inline constexpr unsigned kUnknownTextId = 4116;

// The text after the last "." of the name part; empty when there is none.
std::u16string_view file_extension(std::u16string_view path);

// Whether an extension matches one pattern of a list (the pattern ends at "|" or its end),
// ignoring case; with digit_wildcard "#" matches one decimal digit.
bool MatchExtension(std::u16string_view extension, std::u16string_view pattern, bool digit_wildcard);

// CR LF for every lone LF and every lone CR.
std::u16string normalise_line_ends(std::u16string_view text);
std::vector<std::uint8_t> normalise_line_ends(const std::vector<std::uint8_t>& text);

class ArchiveAnalysis {
public:
    ArchiveAnalysis();
    ArchiveAnalysis(const ArchiveAnalysis&) = delete;
    ArchiveAnalysis& operator=(const ArchiveAnalysis&) = delete;
    ~ArchiveAnalysis();

    // quick: detect and let the reader describe the archive, but list no items and follow no
    // volumes. volume_mode: kVolumeMode* bits. See AnalyzeResult.
    int Analyze(std::u16string_view path, bool quick, int volume_mode);

    // Makes the reader that finds an archive nearest to the start of the file current. A reader
    // may change `path` to the file it actually opened. See DetectResult.
    int DetectFormat(std::u16string& path, unsigned flags);

    // Lists the current reader's items into the totals; `continuing` for further volumes.
    void ReadAllItems(bool continuing);

    // Decides from the name alone; see the definition for the rewriting of first_volume_name.
    bool IsArchiveName(std::u16string_view name, std::u16string* first_volume_name, int* reader_index,
                       bool strict, bool force_rewrite, bool digit_wildcard);

    // The current reader's archive comment, line ends normalised unless raw.
    std::vector<std::uint8_t> GetComment(bool raw);
    std::u16string GetCommentW(bool raw);

    const ArchiveSummary& summary() const { return summary_; }
    const std::u16string& path() const { return path_; }
    FormatRegistry& registry();

    // Called with every item as it is read (after the analysis set its ItemFlags and its share of
    // the totals). For tools that list items.
    void set_item_observer(std::function<void(const ItemHeader&)> observer) {
        item_observer_ = std::move(observer);
    }

private:
    int AnalyzeChecked(std::u16string_view path, bool quick, int volume_mode);
    int DetectFormatChecked(std::u16string& path, unsigned flags);
    std::vector<int> DetectionOrder(std::u16string_view path);
    void FollowVolumes();
    void CloseCurrentQuietly();
    void CountItem(ItemHeader& item, bool continuing);

    FormatRegistry registry_;
    std::u16string path_;
    ArchiveSummary summary_;
    std::function<void(const ItemHeader&)> item_observer_;
    std::int64_t recorded_items_ = 0;
    bool continued_from_previous_ = false;
    bool continues_into_next_ = false;
    bool found_later_volume_ = false;
    bool current_open_ = false;  // the current reader holds an open archive
};

}  // namespace kub

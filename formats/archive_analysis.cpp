#include "formats/archive_analysis.h"

#include <algorithm>
#include <memory>
#include <limits>
#include <unordered_set>

#include "common/text/char_class.h"
#include "common/files/disk_file.h"
#include "common/text/encoding.h"
#include "common/error_state.h"
#include "common/language/lang_string.h"
#include "common/files/path_ops.h"
#include "common/registry/registry_access.h"
#include "common/text/string_list.h"
#include "common/text/text_compare.h"
#include "formats/head_buffer_pool.h"

namespace kub {

namespace {

constexpr std::int64_t kMaxTotal = std::numeric_limits<std::int64_t>::max();

// Totals saturate: sizes from a damaged header must not wrap the sum round to a small value.
void add_to_total(std::int64_t& total, std::uint64_t amount) {
    std::uint64_t room = static_cast<std::uint64_t>(kMaxTotal - std::max<std::int64_t>(total, 0));
    total = amount >= room ? kMaxTotal : total + static_cast<std::int64_t>(amount);
}

void add_one(std::int32_t& count) {
    if (count < std::numeric_limits<std::int32_t>::max()) ++count;
}

// The first kHeadBytes of a file (fewer for a shorter one), in a buffer kept from the last
// analysis. The buffer is not zero-filled first: only the bytes read are ever looked at, and
// filling a MiB for every plain file the shell asks about costs more than all the signature
// searches together.
class FileHead {
public:
    // Reads from the start of an open file; false on a read error.
    bool read(DiskFile& file) {
        size_ = 0;
        while (size_ < kHeadBytes) {
            std::int64_t got = file.Read(buffer_.data() + size_, kHeadBytes - size_);
            if (got < 0) return false;
            if (got == 0) break;
            size_ += static_cast<std::size_t>(got);
        }
        return true;
    }
    std::span<const std::uint8_t> bytes() const { return {buffer_.data(), size_}; }

private:
    HeadBuffer buffer_;
    std::size_t size_ = 0;
};

// The patterns of a reader's list, in order.
std::vector<std::u16string_view> split_patterns(std::u16string_view list) {
    std::vector<std::u16string_view> patterns;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t bar = list.find(u'|', start);
        if (bar == std::u16string_view::npos) bar = list.size();
        if (bar > start) patterns.push_back(list.substr(start, bar - start));
        start = bar + 1;
    }
    return patterns;
}

std::u16string extension_list(ArchiveReader& reader) {
    std::u16string list = reader.GetExtensions();
    cut_to_capacity(list, kExtensionListCapacity);
    return list;
}

// arc.part07.kub gives arc.part01.kub: the last run of digits of the name part becomes the
// first volume's number. Digits in the folder part are never touched.
void rewrite_to_first_volume_number(std::u16string& path) {
    std::size_t name_start = name_offset(path);
    std::size_t i = path.size();
    while (i > name_start && !is_digit(path[i - 1])) --i;
    if (i == name_start) return;
    path[--i] = u'1';
    while (i > name_start && is_digit(path[i - 1])) path[--i] = u'0';
}

template <typename Char>
std::basic_string<Char> normalise(std::basic_string_view<Char> text) {
    std::basic_string<Char> out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        Char c = text[i];
        if (c == Char('\n') && (i == 0 || text[i - 1] != Char('\r'))) {
            out.push_back(Char('\r'));
            out.push_back(Char('\n'));
        } else if (c == Char('\r') && (i + 1 == text.size() || text[i + 1] != Char('\n'))) {
            out.push_back(Char('\r'));
            out.push_back(Char('\n'));
        } else {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace

std::u16string_view file_extension(std::u16string_view path) {
    std::u16string_view ext = extension(path);
    return ext.empty() ? ext : ext.substr(1);
}

bool MatchExtension(std::u16string_view ext, std::u16string_view pattern, bool digit_wildcard) {
    std::size_t i = 0;
    for (; i < pattern.size() && pattern[i] != u'|'; ++i) {
        if (i >= ext.size()) return false;
        if (digit_wildcard && pattern[i] == u'#') {
            if (!is_digit(ext[i])) return false;
        } else if (to_upper_char(pattern[i]) != to_upper_char(ext[i])) {
            return false;
        }
    }
    return i == ext.size();
}

std::u16string normalise_line_ends(std::u16string_view text) { return normalise(text); }

std::vector<std::uint8_t> normalise_line_ends(const std::vector<std::uint8_t>& text) {
    std::string_view bytes(reinterpret_cast<const char*>(text.data()), text.size());
    std::string out = normalise(bytes);
    return std::vector<std::uint8_t>(out.begin(), out.end());
}

ArchiveAnalysis::ArchiveAnalysis() = default;
ArchiveAnalysis::~ArchiveAnalysis() = default;

FormatRegistry& ArchiveAnalysis::registry() {
    registry_.ensure_created(&process_reader_options());
    return registry_;
}

void ArchiveAnalysis::CloseCurrentQuietly() {
    ArchiveReader* reader = registry_.current_reader();
    if (!reader || !current_open_) return;
    current_open_ = false;
    try {
        ArchiveSummary scratch;
        reader->Close(scratch);
    } catch (...) {
    }
}

int ArchiveAnalysis::DetectFormat(std::u16string& path, unsigned flags) {
    try {
        return DetectFormatChecked(path, flags);
    } catch (KUB_EXIT code) {
        CloseCurrentQuietly();
        return code == KUB_USER_BREAK ? kDetectUserBreak : kDetectUnreadable;
    } catch (...) {
        CloseCurrentQuietly();
        return kDetectUnreadable;
    }
}

std::vector<int> ArchiveAnalysis::DetectionOrder(std::u16string_view path) {
    int count = registry_.count();
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) order[static_cast<std::size_t>(i)] = i;
    std::size_t front = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        ArchiveReader* reader = registry_.reader(order[i]);
        if (reader && reader->ClaimsName(path)) std::swap(order[front++], order[i]);
    }
    std::u16string_view ext = file_extension(path);
    if (ext.empty()) return order;
    for (std::size_t i = front; i < order.size(); ++i) {
        ArchiveReader* reader = registry_.reader(order[i]);
        if (!reader) continue;
        std::u16string list = extension_list(*reader);
        for (std::u16string_view pattern : split_patterns(list)) {
            if (MatchExtension(ext, pattern, true)) {
                std::swap(order[front++], order[i]);
                break;
            }
        }
    }
    return order;
}

int ArchiveAnalysis::DetectFormatChecked(std::u16string& path, unsigned flags) {
    registry();
    registry_.set_current(-1);
    current_open_ = false;

    FileHead head;
    {
        DiskFile file;
        file.report_errors = false;
        if (!file.Open(path, flags)) return kDetectUnreadable;
        if (!head.read(file)) return kDetectUnreadable;
    }

    std::uint32_t best_offset = 0;
    for (int index : DetectionOrder(path)) {
        ArchiveReader* reader = registry_.reader(index);
        if (!reader) continue;
        std::int32_t offset = 0;
        if (!reader->Open(path, head.bytes(), offset, 0)) continue;
        ArchiveSummary scratch;
        if (registry_.current() < 0) {
            registry_.set_current(index);
            current_open_ = true;
            best_offset = static_cast<std::uint32_t>(offset);
        } else if (static_cast<std::uint32_t>(offset) < best_offset) {
            registry_.current_reader()->Close(scratch);
            registry_.set_current(index);
            best_offset = static_cast<std::uint32_t>(offset);
        } else {
            reader->Close(scratch);
        }
        if (best_offset == 0) break;
    }
    return registry_.current() < 0 ? kDetectUnknown : kDetectRecognised;
}

int ArchiveAnalysis::Analyze(std::u16string_view path, bool quick, int volume_mode) {
    try {
        return AnalyzeChecked(path, quick, volume_mode);
    } catch (KUB_EXIT code) {
        CloseCurrentQuietly();
        return code == KUB_USER_BREAK ? kAnalyzeUserBreak : kAnalyzeFailed;
    } catch (...) {
        CloseCurrentQuietly();
        return kAnalyzeFailed;
    }
}

int ArchiveAnalysis::AnalyzeChecked(std::u16string_view path, bool quick, int volume_mode) {
    registry();
    found_later_volume_ = false;
    std::u16string name(path);
    cut_to_capacity(name, kPathCapacity);
    switch (DetectFormat(name, 0)) {
        case kDetectUnreadable: return kAnalyzeFailed;
        case kDetectUnknown: return kAnalyzeNotArchive;
        case kDetectUserBreak: return kAnalyzeUserBreak;
        default: break;
    }
    path_ = name;
    summary_ = ArchiveSummary{};
    recorded_items_ = 0;

    if (!quick) ReadAllItems(false);

    ArchiveReader* reader = registry_.current_reader();
    current_open_ = false;
    reader->Close(summary_);
    if (summary_.HeadersEncrypted) {
        summary_.AnyEncrypted = true;
        if (recorded_items_ == 0) volume_mode |= kVolumeModeNoFollow;
    }
    summary_.ReaderIndex = static_cast<std::uint32_t>(registry_.current());

    // Readers that cannot tell packed sizes leave the file to tell it, but never beyond twice
    // the unpacked total.
    if (summary_.TotalPacked == 0 && summary_.TotalUnpacked != 0) {
        DiskFile file;
        file.report_errors = false;
        if (file.Open(path_)) {
            std::int64_t packed = file.FileLength() - summary_.SfxSize;
            if (summary_.TotalUnpacked <= kMaxTotal / 2 && 2 * summary_.TotalUnpacked < packed)
                packed = summary_.TotalUnpacked;
            summary_.TotalPacked = packed;
        }
    }

    bool follow = !quick && summary_.IsVolume && !summary_.IsLastVolume;
    if (follow && !(volume_mode & kVolumeModeFollowAll)) {
        follow = !(volume_mode & kVolumeModeNoFollow) &&
                 read_setting_number(kFileListKey, kAllVolumesValue, 1) != 0;
    }
    if (follow) FollowVolumes();
    found_later_volume_ = summary_.IsVolume && !summary_.IsFirstVolume;
    return kAnalyzeArchive;
}

void ArchiveAnalysis::FollowVolumes() {
    const ArchiveSummary kept = summary_;
    ArchiveReader* reader = registry_.current_reader();
    const std::uint32_t reader_index = summary_.ReaderIndex;
    FileHead head;
    std::u16string current = path_;
    // Volume names lead back to a volume already read in a damaged or hand-renamed set; the walk
    // ends there instead of going round for ever.
    std::unordered_set<std::u16string> visited{to_upper_text(current)};

    for (;;) {
        std::u16string next = current;
        reader->NextVolumeName(next);
        cut_to_capacity(next, kPathCapacity);
        if (next.empty() || next == current) break;
        if (!visited.insert(to_upper_text(next)).second) break;

        std::int64_t volume_size = 0;
        {
            DiskFile file;
            file.report_errors = false;
            if (!file.Open(next)) break;
            if (!head.read(file)) break;
            volume_size = file.FileLength();
        }
        std::int32_t offset = 0;
        if (!reader->Open(next, head.bytes(), offset, kOpenFurtherVolume)) break;
        current_open_ = true;
        current = next;

        std::int64_t packed_before = summary_.TotalPacked;
        try {
            ReadAllItems(true);
        } catch (...) {
            CloseCurrentQuietly();
            throw;
        }
        bool first_volume = summary_.IsFirstVolume;
        current_open_ = false;
        reader->Close(summary_);
        summary_.IsFirstVolume = first_volume;
        summary_.ReaderIndex = reader_index;
        if (summary_.TotalPacked == packed_before && summary_.TotalUnpacked != 0 &&
            volume_size > summary_.SfxSize)
            add_to_total(summary_.TotalPacked, static_cast<std::uint64_t>(volume_size - summary_.SfxSize));
    }

    // The page describes the volume the user chose, with totals over the set.
    summary_.SfxSize = kept.SfxSize;
    summary_.HasComment = kept.HasComment;
    summary_.RecoverySize = kept.RecoverySize;
    summary_.RecoveryPercent = kept.RecoveryPercent;
    summary_.IsLocked = kept.IsLocked;
    summary_.IsVolume = kept.IsVolume;
    summary_.VolumeNumber = kept.VolumeNumber;
}

void ArchiveAnalysis::ReadAllItems(bool continuing) {
    if (!continuing) {
        recorded_items_ = 0;
        summary_.ItemCount = 0;
        summary_.FileCount = 0;
    }
    // Where the set starts and ends is told by the volume just listed.
    continued_from_previous_ = false;
    continues_into_next_ = false;
    ArchiveReader* reader = registry_.current_reader();
    if (!reader) return;

    bool user_break = false;
    for (;;) {
        ItemHeader item;
        int result;
        try {
            result = reader->ReadItem(item);
        } catch (KUB_EXIT code) {
            user_break = code == KUB_USER_BREAK;
            result = user_break ? kItemBreakOrEncrypted : kItemReadFailure;
        } catch (...) {
            result = kItemReadFailure;
        }
        if (result != kItemRead) break;
        CountItem(item, continuing);
        if (item_observer_) item_observer_(item);
    }

    summary_.IsFirstVolume =
        summary_.IsFirstVolume || (!continued_from_previous_ && continues_into_next_);
    summary_.IsLastVolume = continued_from_previous_ && !continues_into_next_;
    if (summary_.HostOSList.empty()) {
        const char16_t* unknown = LangString(kUnknownTextId);
        summary_.HostOSList = unknown ? unknown : u"";
        cut_to_capacity(summary_.HostOSList, kHostOsListCapacity);
    }
    // A listing the user broke off is not a complete one: the caller must not present it as such.
    if (user_break) throw KUB_USER_BREAK;
}

void ArchiveAnalysis::CountItem(ItemHeader& item, bool continuing) {
    std::replace(item.Name.begin(), item.Name.end(), u'/', u'\\');
    bool piece = continuing && item.SplitBefore;
    if (!piece) {
        add_one(summary_.ItemCount);
        if (!(item.Attributes & kAttrDirectory)) add_one(summary_.FileCount);
        if (item.UnpackedSize != UnknownSize) add_to_total(summary_.TotalUnpacked, item.UnpackedSize);
    }
    if (item.PackedSize != UnknownSize) add_to_total(summary_.TotalPacked, item.PackedSize);

    if (summary_.SummaryHashKind != item.HashKind)
        summary_.SummaryHashKind = summary_.SummaryHashKind == kHashNone ? item.HashKind : kHashMixed;

    if (summary_.HostOSList.empty()) {
        summary_.HostOSList = item.HostOS;
        cut_to_capacity(summary_.HostOSList, kHostOsListCapacity);
    } else if (summary_.HostOSList != item.HostOS && summary_.HostOSList.find(u',') == std::u16string::npos) {
        summary_.HostOSList += u", ";
        summary_.HostOSList += item.HostOS;
        cut_to_capacity(summary_.HostOSList, kHostOsListCapacity);
    }

    summary_.MaxUnpackVersion = std::max(summary_.MaxUnpackVersion, item.UnpackVersion);
    summary_.MaxDictSizeKB = std::max<std::uint64_t>(summary_.MaxDictSizeKB, item.DictSizeKB);

    if (item.IsEncrypted) {
        summary_.AnyEncrypted = true;
        item.ItemFlags |= kItemFlagEncrypted;
    }
    if (item.SplitBefore) {
        item.ItemFlags |= kItemFlagSplitBefore;
        continued_from_previous_ = true;
    }
    if (item.SplitAfter) {
        item.ItemFlags |= kItemFlagSplitAfter;
        continues_into_next_ = true;
    }

    if (piece) {
        // Only ARJ pieces carry their own share of the unpacked size.
        if (compare_text(summary_.FormatName, u"ARJ") == 0 && item.UnpackedSize != UnknownSize)
            add_to_total(summary_.TotalUnpacked, item.UnpackedSize);
    } else {
        ++recorded_items_;
    }
}

bool ArchiveAnalysis::IsArchiveName(std::u16string_view name, std::u16string* first_volume_name,
                                    int* reader_index, bool strict, bool force_rewrite,
                                    bool digit_wildcard) {
    try {
        registry();
        if (first_volume_name) {
            first_volume_name->assign(name);
            cut_to_capacity(*first_volume_name, kPathCapacity);
        }
        if (reader_index) *reader_index = -1;
        std::u16string_view ext = file_extension(name);
        if (ext.empty()) return false;
        if (!strict) {
            for (std::u16string_view always : {u"exe", u"sfx", u"000", u"001"})
                if (compare_text(ext, always) == 0) return true;
        }

        for (int index = 0; index < registry_.count(); ++index) {
            ArchiveReader* reader = registry_.reader(index);
            if (!reader) continue;
            std::u16string list = extension_list(*reader);
            std::vector<std::u16string_view> patterns = split_patterns(list);
            for (std::u16string_view pattern : patterns) {
                if (!MatchExtension(ext, pattern, digit_wildcard)) continue;
                if (first_volume_name && (force_rewrite || found_later_volume_)) {
                    if (ext.size() >= 2 && is_digit(ext[1]))
                        replace_extension(*first_volume_name, patterns.front());
                    else if (!force_rewrite)
                        rewrite_to_first_volume_number(*first_volume_name);
                }
                if (reader_index) *reader_index = index;
                return true;
            }
        }

        std::u16string custom;
        read_setting_string(kSetupKey, kCustomExtValue, custom, u"", kCustomExtCapacity);
        StringList words;
        words.add_words(custom);
        for (std::u16string_view word; words.next(word);) {
            while (!word.empty() && (word.front() == u'*' || word.front() == u'.')) word.remove_prefix(1);
            if (!word.empty() && compare_text(word, ext) == 0) return true;
        }
        return false;
    } catch (...) {
        return false;
    }
}

std::vector<std::uint8_t> ArchiveAnalysis::GetComment(bool raw) {
    try {
        ArchiveReader* reader = registry_.current_reader();
        if (!reader) return {};
        std::vector<std::uint8_t> comment = reader->GetComment(path_);
        return raw ? comment : normalise_line_ends(comment);
    } catch (...) {
        return {};
    }
}

std::u16string ArchiveAnalysis::GetCommentW(bool raw) {
    try {
        ArchiveReader* reader = registry_.current_reader();
        if (!reader) return {};
        std::u16string comment = reader->GetCommentW(path_);
        if (comment.empty()) {
            std::vector<std::uint8_t> bytes = reader->GetComment(path_);
            ansi_to_wide(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), comment);
        }
        return raw ? comment : normalise_line_ends(comment);
    } catch (...) {
        return {};
    }
}

}  // namespace kub

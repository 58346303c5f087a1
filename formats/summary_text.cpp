#include "formats/summary_text.h"

#include <string>

#include "common/language/lang_string.h"
#include "common/text/number_text.h"
#include "formats/archive_analysis.h"
#include "formats/format_registry.h"

namespace kub {

namespace {

std::u16string text(unsigned id) {
    const char16_t* found = LangString(id);
    return found ? std::u16string(found) : std::u16string();
}

// The text with its first "%s" replaced by arg (a translation may omit it).
std::u16string format_one(std::u16string_view pattern, std::u16string_view arg, std::size_t capacity) {
    std::u16string out(pattern);
    std::size_t at = out.find(u"%s");
    if (at != std::u16string::npos) out.replace(at, 2, arg);
    cut_to_capacity(out, capacity);
    return out;
}

}  // namespace

std::u16string summary_title(const ArchiveSummary& s) {
    std::u16string kind;
    if (s.IsSolid) kind += text(kTextSolid) + u" ";
    if (s.SfxSize > 0) kind += text(kTextSelfExtracting) + u" ";
    kind += s.FormatName;
    std::u16string title = format_one(text(s.IsVolume ? kTextVolumeTitle : kTextArchiveTitle), kind, kTitleCapacity);
    if (!title.empty() && title[0] >= u'a' && title[0] <= u'z') title[0] = static_cast<char16_t>(title[0] - u'a' + u'A');
    return title;
}

std::u16string version_text(std::uint32_t version) {
    if (version == 0) return text(kUnknownTextId);
    return decimal_text(version / 256) + u"." + decimal_text(version % 256);
}

std::int32_t ratio_percent(const ArchiveSummary& s) {
    if (s.TotalUnpacked == 0) return 0;
    return static_cast<std::int32_t>(percent(static_cast<std::uint64_t>(s.TotalPacked),
                                             static_cast<std::uint64_t>(s.TotalUnpacked)));
}

std::u16string percent_text(std::int32_t p) {
    std::uint64_t magnitude = p < 0 ? 0 - static_cast<std::uint64_t>(p) : static_cast<std::uint64_t>(p);
    return (p < 0 ? u"-" : u"") + decimal_text(magnitude) + u"%";
}

std::u16string ratio_text(const ArchiveSummary& s) { return percent_text(ratio_percent(s)); }

std::u16string number_text(std::int64_t value) {
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return (value < 0 ? u"-" : u"") + with_thousands_separators(magnitude, kNumberTextCapacity);
}

std::u16string sfx_size_text(const ArchiveSummary& s) { return number_text(s.SfxSize) + u" " + text(kTextBytes); }

std::u16string presence_text(bool present) { return text(present ? kTextPresent : kTextAbsent); }

std::u16string dictionary_text(const ArchiveSummary& s) {
    if (s.MaxDictSizeKB == 0) return text(kUnknownTextId);
    return size_text(s.MaxDictSizeKB * 1024, kNumberTextCapacity);
}

std::u16string recovery_text(const ArchiveSummary& s) {
    if (s.RecoverySize == ~std::uint64_t{0}) return text(kTextPresent);
    if (s.RecoverySize == 0) return text(kTextAbsent);
    return size_text(s.RecoverySize, kNumberTextCapacity);
}

bool shows_kub_rows(const ArchiveSummary& s) { return s.ReaderIndex == kKubReaderIndex; }

}  // namespace kub

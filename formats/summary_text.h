#pragma once
// The values of the archive information page as text, from an ArchiveSummary. The page and the
// command-line tool show the same texts.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/archive_reader.h"

namespace kub {

// Ids of the texts the page shows.
inline constexpr unsigned kTextSolid = 4117;
inline constexpr unsigned kTextSelfExtracting = 4118;
inline constexpr unsigned kTextVolumeTitle = 4119;   // "%s 压缩分卷"
inline constexpr unsigned kTextArchiveTitle = 4120;  // "%s 压缩文件"
inline constexpr unsigned kTextPresent = 4122;
inline constexpr unsigned kTextAbsent = 4123;
inline constexpr unsigned kTextBytes = 4150;

// Limits of the page's texts, in units with the terminator.
inline constexpr std::size_t kTitleCapacity = 1024;
inline constexpr std::size_t kNumberTextCapacity = 512;

// "Solid self-extracting KUB archive": the optional words, the format name, in the archive or
// volume title; the first letter upper-cased when it is a to z.
std::u16string summary_title(const ArchiveSummary& s);
// "2.9" for 0x0209, "2.20" for 0x0214; the unknown text for 0.
std::u16string version_text(std::uint32_t version);
// "112%": packed against unpacked, 0 when nothing is unpacked; above 100 shown as it is.
std::int32_t ratio_percent(const ArchiveSummary& s);
std::u16string ratio_text(const ArchiveSummary& s);
// "112%", "-5%": any percentage as the page writes it.
std::u16string percent_text(std::int32_t percent);
// A count or size with thousands separators.
std::u16string number_text(std::int64_t value);
// The SFX module size, always in bytes.
std::u16string sfx_size_text(const ArchiveSummary& s);
// The present / absent text.
std::u16string presence_text(bool present);
// KUB only: dictionary (the unknown text for 0), recovery record (present when its size is not
// known), lock.
std::u16string dictionary_text(const ArchiveSummary& s);
std::u16string recovery_text(const ArchiveSummary& s);

// Whether the page shows the dictionary, recovery and lock rows (KUB archives only).
bool shows_kub_rows(const ArchiveSummary& s);

}  // namespace kub

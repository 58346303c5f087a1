#pragma once
// One open KUB archive: recognition (signature, self-extracting module, main header), the header
// walk that yields the file headers, and the archive-wide facts gathered on the way.
//
// State: `next_position_` is where the next header starts (a header's position plus its size plus
// its data size); the walk only moves forward, so every loop ends with the file. Damage that
// still lets the walk continue (checksum mismatches) sets header_errors(); damage that does not
// (a header too small, cut off, or pointing backwards) ends the walk, the former two also
// setting header_errors().
#include <cstdint>
#include <memory>
#include <vector>

#include "formats/kub/kub_byte_source.h"
#include "formats/kub/kub_header.h"
#include "formats/kub/kub_quick_open.h"
#include "formats/kub/kub_signature.h"

namespace kub::kubfmt {

inline constexpr std::uint64_t kNotMeasured = ~std::uint64_t{0};

class KubArchive {
public:
    KubArchive(ByteSource& file, bool use_quick_open) : file_(file), use_quick_open_(use_quick_open) {}
    KubArchive(const KubArchive&) = delete;
    KubArchive& operator=(const KubArchive&) = delete;

    // Recognises the archive and reads up to its main header (or, in generation 3, up to an
    // encryption header). False: not an archive this reader opens.
    bool open();

    // The next file header; false at the end of the archive or when the walk cannot go on.
    bool next_item(ParsedHeader& item);

    Generation generation() const { return generation_; }
    std::uint64_t sfx_size() const { return sfx_size_; }
    bool volume() const { return main_.volume; }
    bool first_volume() const { return first_volume_; }
    std::uint32_t volume_number() const;  // 1-based
    bool new_naming() const { return main_.new_naming; }
    bool has_comment() const { return has_comment_; }
    bool locked() const { return main_.locked; }
    bool solid() const { return main_.solid; }
    bool headers_encrypted() const { return headers_encrypted_; }
    bool header_errors() const { return header_errors_; }
    bool recovery_present() const { return main_.recovery; }
    // kNotMeasured until a recovery record was met.
    std::uint64_t recovery_size() const { return recovery_size_; }
    std::uint64_t recovery_percent() const { return recovery_percent_; }
    bool quick_open_active() const { return cache_ && cache_->active(); }

private:
    // Reads and parses the header at `position`; `next` receives the next header's position.
    bool read_header(std::uint64_t position, ParsedHeader& h, std::uint64_t& next);
    bool read_header_bytes(std::uint64_t position, std::vector<std::uint8_t>& bytes);
    void note_header(const ParsedHeader& h, std::uint64_t position);
    void look_ahead();
    void start_quick_open(std::uint64_t main_position);
    void count_skipped();
    ByteSource& source() { return cache_ && cache_->active() ? static_cast<ByteSource&>(*cache_) : file_; }

    ByteSource& file_;
    bool use_quick_open_;
    std::unique_ptr<QuickOpenCache> cache_;

    Generation generation_ = kGenerationNone;
    std::uint64_t sfx_size_ = 0;
    std::uint64_t body_start_ = 0;
    std::uint64_t next_position_ = 0;
    ParsedHeader main_;
    bool first_volume_ = false;
    bool has_comment_ = false;
    bool headers_encrypted_ = false;
    bool header_errors_ = false;
    bool ended_ = false;
    unsigned headers_read_ = 0;
    unsigned skipped_in_row_ = 0;
    bool end_has_volume_number_ = false;
    std::uint32_t end_volume_number_ = 0;
    std::uint64_t recovery_size_ = kNotMeasured;
    std::uint64_t recovery_percent_ = kNotMeasured;
};

// The share of the archive that its recovery record of `size` bytes takes when the record's data
// starts at `position`, rounded to the nearest percent and at most 100.
std::uint64_t recovery_percentage(std::uint64_t size, std::uint64_t position);

}  // namespace kub::kubfmt

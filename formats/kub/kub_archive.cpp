#include "formats/kub/kub_archive.h"

#include <algorithm>
#include <string_view>

#include "common/error_state.h"
#include "formats/byte_reader.h"
#include "formats/kub/kub_gen1_header.h"
#include "formats/kub/kub_gen2_header.h"
#include "formats/kub/kub_gen3_header.h"
#include "formats/kub/kub_layout.h"

namespace kub::kubfmt {

namespace {

constexpr std::string_view kCommentName = "CMT";
constexpr std::string_view kRecoveryName = "RR";
constexpr std::string_view kQuickOpenName = "QO";

bool add_overflows(std::uint64_t a, std::uint64_t b, std::uint64_t& sum) {
    sum = a + b;
    return sum < a;
}

std::uint64_t round_up_16(std::uint64_t n) { return (n + 15) & ~std::uint64_t{15}; }

}  // namespace

std::uint64_t recovery_percentage(std::uint64_t size, std::uint64_t position) {
    if (size > position || position == 0) return 100;
    using Wide = unsigned __int128;
    std::uint64_t percent = static_cast<std::uint64_t>(Wide{size} * 100 / position);
    std::uint64_t rounded = static_cast<std::uint64_t>((Wide{size} + position / 200) * 100 / position);
    return rounded > percent ? percent + 1 : percent;
}

std::uint32_t KubArchive::volume_number() const {
    std::uint64_t stored = 0;
    if (generation_ == kGenerationFive && main_.has_volume_number) stored = main_.volume_number;
    if (generation_ == kGenerationBlock && end_has_volume_number_) stored = end_volume_number_;
    return static_cast<std::uint32_t>(stored + 1);
}

bool KubArchive::open() {
    std::vector<std::uint8_t> head(kSignatureSize);
    if (!file_.seek(0)) return false;
    head.resize(read_fully(file_, head.data(), head.size()));
    std::optional<SignatureMatch> match = find_signature(head);
    if (!match && head.size() == kSignatureSize) {
        // One block of kSfxSearchBytes, fetched in steps so a small file costs a small buffer.
        constexpr std::size_t kStep = 64 * 1024;
        while (head.size() < kSignatureSize + kSfxSearchBytes) {
            std::size_t have = head.size();
            std::size_t want = std::min(kStep, kSignatureSize + kSfxSearchBytes - have);
            head.resize(have + want);
            std::size_t got = read_fully(file_, head.data() + have, want);
            head.resize(have + got);
            if (got < want) break;
        }
        match = find_signature(head);
    }
    if (!match || match->generation == kGenerationNewer) return false;
    generation_ = match->generation;
    sfx_size_ = match->offset;
    body_start_ = sfx_size_;
    if (generation_ == kGenerationBlock) body_start_ += kSignatureSize;
    if (generation_ == kGenerationFive) {
        // The signature's eighth byte is reserved and must be zero.
        std::uint8_t reserved = 1;
        if (!file_.seek(sfx_size_ + kSignatureSize) || read_fully(file_, &reserved, 1) != 1 ||
            reserved != 0) {
            return false;
        }
        body_start_ += kSignatureSize + 1;
    }

    // Up to the main header; in generation 3 an encryption header comes first and hides the rest.
    std::uint64_t position = body_start_;
    std::uint64_t main_position = 0;
    for (;;) {
        ParsedHeader h;
        std::uint64_t next = 0;
        if (!read_header(position, h, next)) {
            next_position_ = position;  // the walk ends where the search did
            return true;                // recognised, with what was read
        }
        if (h.kind == HeaderKind::kMain) {
            main_ = h;
            main_position = position;
            next_position_ = next;
            break;
        }
        if (headers_encrypted_) {
            next_position_ = next;
            return true;
        }
        position = next;
        count_skipped();
    }

    first_volume_ = main_.first_volume;
    has_comment_ = main_.comment;
    headers_encrypted_ = main_.encrypted_headers;
    if (generation_ == kGenerationFive) start_quick_open(main_position);
    if (!headers_encrypted_) look_ahead();
    return true;
}

bool KubArchive::read_header_bytes(std::uint64_t position, std::vector<std::uint8_t>& bytes) {
    ByteSource& in = source();
    if (!in.seek(position)) return false;

    std::size_t fixed = 0;
    if (generation_ == kGenerationOldest) {
        fixed = position == body_start_ ? kGen1MainSize : kGen1FileFixedSize;
    } else if (generation_ == kGenerationBlock) {
        fixed = kGen2BlockHeadSize;
    } else {
        fixed = kGen3ProbeSize;
    }
    bytes.resize(fixed);
    bytes.resize(read_fully(in, bytes.data(), fixed));

    HeaderExtent e;
    if (generation_ == kGenerationOldest && position == body_start_) {
        if (bytes.size() < fixed) return false;
        return true;  // the main header is parsed from these 7 bytes
    } else if (generation_ == kGenerationOldest) {
        if (bytes.size() < fixed) return false;
        e = gen1_file_extent(bytes);
    } else if (generation_ == kGenerationBlock) {
        if (bytes.size() < fixed) return false;
        e = gen2_block_extent(bytes);
    } else {
        e = gen3_header_extent(bytes);
        if (e.incomplete) return false;
    }
    if (!e.ok) {
        header_errors_ = true;
        return false;
    }
    std::size_t have = bytes.size();
    std::size_t want = static_cast<std::size_t>(e.read_size);
    if (want <= have) {
        bytes.resize(want);
        return true;
    }
    bytes.resize(want);
    return read_fully(in, bytes.data() + have, want - have) == want - have;
}

bool KubArchive::read_header(std::uint64_t position, ParsedHeader& h, std::uint64_t& next) {
    // Encrypted headers can be read no further than the first one after the signature.
    if (headers_encrypted_ && headers_read_ >= 1) return false;
    std::vector<std::uint8_t> bytes;
    if (!read_header_bytes(position, bytes)) return false;

    std::uint64_t header_size = 0;
    switch (generation_) {
        case kGenerationOldest:
            h = position == body_start_ ? parse_gen1_main(bytes) : parse_gen1_file(bytes);
            header_size = h.header_size;
            break;
        case kGenerationBlock:
            header_size = gen2_block_extent(bytes).header_size;
            h = parse_gen2_block(bytes, header_size);
            break;
        default:
            h = parse_gen3_header(bytes);
            header_size = h.header_size;
            break;
    }
    ++headers_read_;
    if (h.malformed) {
        header_errors_ = true;
        return false;
    }

    std::uint64_t stride = header_size;
    if (headers_encrypted_) {
        std::uint64_t extra = generation_ == kGenerationBlock ? kGen2EncryptedHeaderExtra : kGen3IvSize;
        stride = round_up_16(header_size) + extra;
    }
    std::uint64_t end = 0;
    if (add_overflows(position, stride, end) || add_overflows(end, h.data_size, next) ||
        next <= position) {
        header_errors_ = true;
        return false;
    }
    if (!h.checksum_ok) header_errors_ = true;
    note_header(h, position);
    return true;
}

void KubArchive::note_header(const ParsedHeader& h, std::uint64_t position) {
    if (h.kind == HeaderKind::kService) {
        const std::string& name = h.item.name_bytes;
        if (name == kCommentName) has_comment_ = true;
        if (generation_ == kGenerationBlock && name == kRecoveryName) {
            recovery_size_ = h.item.recovery_sectors * kRecoverySectorSize;
            recovery_percent_ = recovery_percentage(recovery_size_, position + h.header_size);
        }
    }
    if (h.recovery_block) {
        recovery_size_ = h.recovery_size;
        recovery_percent_ = kNotMeasured;
    }
    if (h.kind == HeaderKind::kEnd && h.end_has_volume_number) {
        end_has_volume_number_ = true;
        end_volume_number_ = h.end_volume_number;
    }
    if (h.kind == HeaderKind::kEncryption && generation_ == kGenerationFive) headers_encrypted_ = true;
}

void KubArchive::count_skipped() {
    if (++skipped_in_row_ % kHeadersPerBreakCheck == 0) ErrorState::periodic_check();
}

void KubArchive::look_ahead() {
    // A volume is the first of its set unless its first item continues from a previous one; a
    // generation-3 volume that records a later number is not the first whatever its items say.
    bool numbered_later = main_.has_volume_number && main_.volume_number > 0;
    std::uint64_t position = next_position_;
    for (;;) {
        ParsedHeader h;
        std::uint64_t next = 0;
        if (!read_header(position, h, next)) break;
        if (h.kind == HeaderKind::kService || h.kind == HeaderKind::kFile) {
            first_volume_ = main_.volume && !h.item.split_before && !numbered_later;
        }
        if (h.kind == HeaderKind::kFile || h.kind == HeaderKind::kEnd) break;
        position = next;
        count_skipped();
    }
    skipped_in_row_ = 0;
}

void KubArchive::start_quick_open(std::uint64_t main_position) {
    std::uint64_t qo_position = 0;
    if (!use_quick_open_ || main_.quick_open_offset == 0 ||
        add_overflows(main_position, main_.quick_open_offset, qo_position)) {
        return;
    }
    ParsedHeader h;
    std::uint64_t next = 0;
    if (!read_header(qo_position, h, next)) return;
    if (h.kind != HeaderKind::kService || h.item.name_bytes != kQuickOpenName || h.item.encrypted ||
        h.data_size == 0) {
        return;
    }
    cache_ = std::make_unique<QuickOpenCache>(file_, qo_position, qo_position + h.header_size,
                                              h.data_size);
}

bool KubArchive::next_item(ParsedHeader& item) {
    if (ended_) return false;
    for (;;) {
        ParsedHeader h;
        std::uint64_t next = 0;
        if (!read_header(next_position_, h, next)) {
            ended_ = true;
            return false;
        }
        next_position_ = next;
        if (h.kind == HeaderKind::kFile) {
            skipped_in_row_ = 0;
            item = std::move(h);
            return true;
        }
        if (h.kind == HeaderKind::kEnd) {
            ended_ = true;
            return false;
        }
        count_skipped();
    }
}

}  // namespace kub::kubfmt

#pragma once
// The quick-open cache of KUB 5.0 archives. The "QO" service header's data holds copies of the
// archive's headers as a sequence of records, each laid out like a header:
//
//   crc32:u32  size:vint  flags:vint  offset:vint  length:vint  bytes[length]
//
// where the CRC covers everything after it, size counts the bytes after the size field, and the
// bytes copy the archive from (position of the QO header - offset) on. Placed in front of the
// archive file, the cache answers every read that lies inside its current record and sends the
// rest to the file, so a listing does not have to seek through the packed data.
//
// Invariants: records are taken in file order as reads pass the end of the current one; a seek
// back before both the current position and the current record restarts at the first record; a
// record with inconsistent sizes switches the cache off for good; a record with a bad CRC is not
// used (its reads go to the file). At most kQuickOpenBufferSize bytes of QO data are held.
#include <cstdint>
#include <vector>

#include "formats/kub/kub_byte_source.h"

namespace kub::kubfmt {

class QuickOpenCache final : public ByteSource {
public:
    // `qo_header_position`: where the QO header starts; `data_position`, `data_size`: its data.
    QuickOpenCache(ByteSource& file, std::uint64_t qo_header_position, std::uint64_t data_position,
                   std::uint64_t data_size);

    std::int64_t read(std::uint8_t* buffer, std::size_t size) override;
    bool seek(std::uint64_t position) override;
    std::uint64_t tell() override { return position_; }

    bool active() const { return active_; }
    // Bytes served from records so far (for tests and diagnostics).
    std::uint64_t bytes_served() const { return served_; }

private:
    bool take_next_record();
    bool load_buffer(std::uint64_t data_offset);
    void restart();

    ByteSource& file_;
    std::uint64_t qo_header_position_;
    std::uint64_t data_position_;
    std::uint64_t data_size_;
    bool active_ = true;

    std::vector<std::uint8_t> buffer_;  // QO data from buffer_origin_ on
    std::uint64_t buffer_origin_ = 0;
    std::uint64_t next_record_ = 0;     // QO data offset of the record after the current one

    bool have_record_ = false;
    bool record_valid_ = false;         // its CRC matched
    std::uint64_t record_start_ = 0;    // archive position of its first copied byte
    std::uint64_t record_length_ = 0;
    std::size_t record_data_ = 0;       // index of its bytes in buffer_

    std::uint64_t position_ = 0;
    std::uint64_t served_ = 0;
};

}  // namespace kub::kubfmt

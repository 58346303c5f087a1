#pragma once
// The ArchiveReader for KUB archives (registry index 0): recognises all three header generations,
// also behind a self-extracting module, lists the file items and reports the archive facts. It
// never decompresses or decrypts.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "formats/archive_reader.h"

namespace kub {

inline constexpr char16_t kKubExtensions[] = u"kub|k##";

class KubArchiveReader final : public ArchiveReader {
public:
    explicit KubArchiveReader(const ReaderOptions* options);
    ~KubArchiveReader() override;

    // Opens the file itself (the head is not used); `start_offset` receives the SFX size.
    bool Open(std::u16string& path, std::span<const std::uint8_t> head, std::int32_t& start_offset,
              int flags) override;
    void Close(ArchiveSummary& summary) override;
    int ReadItem(ItemHeader& item) override;
    std::u16string GetExtensions() override { return kKubExtensions; }
    void NextVolumeName(std::u16string& name) override;

private:
    struct OpenArchive;

    ReaderOptions options_;  // refreshed from the shared record at every Open
    std::unique_ptr<OpenArchive> open_;
    bool old_volume_naming_ = false;
};

std::unique_ptr<ArchiveReader> create_kub_reader(const ReaderOptions* options);

}  // namespace kub

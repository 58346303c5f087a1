#include "tools/kubinfo/report_writer.h"

#include <cinttypes>
#include <cstdio>

#include "formats/archive_analysis.h"
#include "formats/summary_text.h"
#include "tools/kubinfo/utf8_output.h"

namespace kub::tool {

namespace {

const char* result_name(int result) {
    switch (result) {
        case kAnalyzeArchive: return "archive";
        case kAnalyzeNotArchive: return "not an archive";
        case kAnalyzeUserBreak: return "user break";
        default: return "unreadable or failed";
    }
}

void line(std::string& out, const char* label, const std::u16string& value) {
    char head[32];
    std::snprintf(head, sizeof head, "%-16s", label);
    out += head;
    out += to_utf8(value);
    out += '\n';
}

std::string size_column(std::uint64_t size) {
    if (size == UnknownSize) return "?";
    return std::to_string(size);
}

std::string item_line(const ItemHeader& item) {
    std::uint32_t crc = static_cast<std::uint32_t>(item.HashValue[0]) | (item.HashValue[1] << 8) |
                        (item.HashValue[2] << 16) | (static_cast<std::uint32_t>(item.HashValue[3]) << 24);
    char head[96];
    std::snprintf(head, sizeof head, "%c%c %14s %14s %08" PRIX32 "  ", item.IsDirectory ? 'D' : '-',
                  item.IsEncrypted ? '*' : '-', size_column(item.UnpackedSize).c_str(),
                  size_column(item.PackedSize).c_str(), crc);
    return head + to_utf8(item.Name) + "\n";
}

struct Json {
    explicit Json(const char* opening = "{") : out(opening) {}
    std::string out;
    bool first = true;

    void key(const char* name) {
        if (!first) out += ',';
        first = false;
        out += '"';
        out += name;
        out += "\":";
    }
    void text(const char* name, std::u16string_view value) {
        key(name);
        out += '"';
        append_json_string(out, value);
        out += '"';
    }
    void number(const char* name, std::int64_t value) {
        key(name);
        out += std::to_string(value);
    }
    void unsigned_number(const char* name, std::uint64_t value) {
        key(name);
        out += std::to_string(value);
    }
    void flag(const char* name, bool value) {
        key(name);
        out += value ? "true" : "false";
    }
};

std::string item_json(const ItemHeader& item) {
    Json j;
    j.text("Name", item.Name);
    j.text("HostOS", item.HostOS);
    j.unsigned_number("UnpackedSize", item.UnpackedSize);
    j.unsigned_number("PackedSize", item.PackedSize);
    j.unsigned_number("ModTime", item.ModTime);
    j.unsigned_number("Attributes", item.Attributes);
    j.unsigned_number("DictSizeKB", item.DictSizeKB);
    j.unsigned_number("UnpackVersion", item.UnpackVersion);
    j.unsigned_number("HashKind", item.HashKind);
    std::string hex;
    std::size_t digest_bytes = item.HashKind == kHashBlake2sp ? item.HashValue.size() : 4;
    for (std::size_t i = 0; i < digest_bytes; ++i) {
        char byte[3];
        std::snprintf(byte, sizeof byte, "%02x", item.HashValue[i]);
        hex += byte;
    }
    j.key("HashValue");
    j.out += '"' + hex + '"';
    j.unsigned_number("LinkType", item.LinkType);
    j.flag("IsDirectory", item.IsDirectory);
    j.flag("HasItemComment", item.HasItemComment);
    j.flag("IsSolidItem", item.IsSolidItem);
    j.flag("IsEncrypted", item.IsEncrypted);
    j.flag("SplitBefore", item.SplitBefore);
    j.flag("SplitAfter", item.SplitAfter);
    j.unsigned_number("ItemFlags", item.ItemFlags);
    return j.out + "}";
}

}  // namespace

std::string page_head(const FileReport& report) { return "== " + to_utf8(report.path) + "\n"; }

std::string page_item(const ItemHeader& item) { return item_line(item); }

std::string page_tail(const FileReport& report) {
    std::string out;
    char result[64];
    std::snprintf(result, sizeof result, "%-16s%d (%s)\n", "Result", report.result, result_name(report.result));
    out += result;
    if (report.result != kAnalyzeArchive) return out;
    const ArchiveSummary& s = report.summary;
    line(out, "Title", summary_title(s));
    line(out, "Format", s.FormatName);
    line(out, "Version needed", version_text(s.MaxUnpackVersion));
    line(out, "Host systems", s.HostOSList);
    line(out, "Files", number_text(s.FileCount));
    line(out, "Total size", number_text(s.TotalUnpacked));
    line(out, "Archive size", number_text(s.TotalPacked));
    line(out, "Ratio", ratio_text(s));
    line(out, "SFX module size", sfx_size_text(s));
    line(out, "Comment", presence_text(s.HasComment));
    line(out, "Password", presence_text(s.AnyEncrypted));
    if (shows_kub_rows(s)) {
        line(out, "Dictionary", dictionary_text(s));
        line(out, "Recovery record", recovery_text(s));
        line(out, "Lock", presence_text(s.IsLocked));
    }
    return out;
}

std::string json_head(const FileReport& report) {
    Json j;
    j.text("Path", report.path);
    j.key("Items");
    return j.out + '[';
}

std::string json_item(const ItemHeader& item, bool first) {
    return (first ? "" : ",") + item_json(item);
}

std::string json_tail(const FileReport& report) {
    const ArchiveSummary& s = report.summary;
    Json j("],");  // closes the items; the fields follow in the same object
    j.number("Result", report.result);
    j.text("FormatName", s.FormatName);
    j.flag("IsKub5", s.IsKub5);
    j.flag("IsVolume", s.IsVolume);
    j.flag("IsFirstVolume", s.IsFirstVolume);
    j.unsigned_number("VolumeNumber", s.VolumeNumber);
    j.unsigned_number("RecoverySize", s.RecoverySize);
    j.unsigned_number("RecoveryPercent", s.RecoveryPercent);
    j.number("SfxSize", s.SfxSize);
    j.flag("HasComment", s.HasComment);
    j.flag("IsLocked", s.IsLocked);
    j.flag("IsSolid", s.IsSolid);
    j.flag("HeadersEncrypted", s.HeadersEncrypted);
    j.flag("HeaderErrors", s.HeaderErrors);
    j.unsigned_number("ReaderIndex", s.ReaderIndex);
    j.text("HostOSList", s.HostOSList);
    j.unsigned_number("MaxUnpackVersion", s.MaxUnpackVersion);
    j.number("ItemCount", s.ItemCount);
    j.number("FileCount", s.FileCount);
    j.unsigned_number("SummaryHashKind", s.SummaryHashKind);
    j.number("TotalUnpacked", s.TotalUnpacked);
    j.number("TotalPacked", s.TotalPacked);
    j.unsigned_number("MaxDictSizeKB", s.MaxDictSizeKB);
    j.flag("AnyEncrypted", s.AnyEncrypted);
    j.flag("IsLastVolume", s.IsLastVolume);
    return j.out + "}\n";
}

}  // namespace kub::tool

#include "formats/kub/kub_item_conversion.h"

#include <algorithm>

#include "common/time/common_time.h"
#include "common/text/encoding.h"
#include "formats/kub/kub_layout.h"

namespace kub::kubfmt {

namespace {

constexpr const char16_t* kGen2HostNames[] = {u"DOS", u"OS/2", u"Windows", u"Unix", u"MacOS", u"BeOS"};
constexpr const char16_t* kGen3HostNames[] = {u"Windows", u"Unix"};

std::u16string oem_name_to_wide(const std::string& oem) {
    std::u16string wide;
    ansi_to_wide(oem_to_ansi(oem), wide, kItemNameCapacity);
    return wide;
}

std::u16string item_name(const ItemFacts& f, Generation generation) {
    std::u16string name;
    if (generation == kGenerationFive) {
        utf8_to_wide(f.name_bytes, name, kItemNameCapacity);  // a bad sequence keeps the text before it
        if (f.version_suffix != 0) {
            std::string suffix = ";" + std::to_string(static_cast<std::uint32_t>(f.version_suffix));
            name.append(suffix.begin(), suffix.end());
        }
    } else if (!f.decoded_name.empty()) {
        name = f.decoded_name;
    } else {
        name = oem_name_to_wide(f.name_bytes);
    }
    name = rewrite_item_name(std::move(name), generation);
    cut_to_capacity(name, kItemNameCapacity);
    return name;
}

std::uint64_t modification_time(const ItemFacts& f) {
    switch (f.time_format) {
        case TimeFormat::kDos: {
            // DOS date-times are local; an invalid one stays 0 whatever its fraction.
            CommonTime t = time_from_packed(static_cast<std::uint32_t>(f.time_value));
            return t == 0 ? 0 : t + f.time_fraction;
        }
        case TimeFormat::kUnix: return time_from_unix(static_cast<std::int64_t>(f.time_value));
        case TimeFormat::kFileTime: return f.time_value;
        case TimeFormat::kNone: break;
    }
    return 0;
}

}  // namespace

std::u16string rewrite_item_name(std::u16string name, Generation generation) {
    for (char16_t& c : name) {
        if (generation == kGenerationFive && c == u'\\') c = u'_';
        if (c == u':') c = u'_';
        if (c == u'/') c = u'\\';
    }
    return name;
}

std::u16string host_system_name(std::uint64_t host, Generation generation) {
    if (generation == kGenerationOldest) return u"DOS";
    if (generation == kGenerationBlock && host < std::size(kGen2HostNames)) return kGen2HostNames[host];
    if (generation == kGenerationFive && host < std::size(kGen3HostNames)) return kGen3HostNames[host];
    return {};
}

bool host_has_windows_attributes(std::uint64_t host, Generation generation) {
    if (generation == kGenerationOldest) return true;
    if (generation == kGenerationBlock) return host <= 5 && host != kGen2HostUnix && host != 5;
    return host == 0;
}

ItemHeader to_item_header(const ItemFacts& f, Generation generation) {
    ItemHeader item;
    item.Name = item_name(f, generation);
    item.HostOS = host_system_name(f.host, generation);
    item.UnpackedSize = f.unknown_size ? UnknownSize : f.unpacked_size;
    item.PackedSize = f.packed_size;
    item.ModTime = modification_time(f);
    item.Attributes = f.attributes;
    if (!host_has_windows_attributes(f.host, generation)) {
        item.Attributes = f.directory ? kAttrDirectory : kAttrNormal;
    }
    item.DictSizeKB = static_cast<std::uint32_t>(f.directory ? 0 : f.dictionary_bytes / 1024);
    item.UnpackVersion = f.unpack_version;
    item.HashKind = f.hash_kind;
    item.HashValue = f.hash;
    item.LinkType = static_cast<std::uint32_t>(f.link_type);
    item.IsDirectory = f.directory;
    item.IsSolidItem = f.solid;
    item.IsEncrypted = f.encrypted;
    item.SplitBefore = f.split_before;
    item.SplitAfter = f.split_after;
    return item;
}

}  // namespace kub::kubfmt

#include "tests/support/registry_export.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace kub::test {

namespace {

constexpr std::size_t kValueNameCapacity = 16384;

const char* root_label(os::RegistryRoot root) {
    switch (root) {
        case os::RegistryRoot::kClassesRoot:
            return "HKCR";
        case os::RegistryRoot::kCurrentUser:
            return "HKCU";
        case os::RegistryRoot::kLocalMachine:
            return "HKLM";
        case os::RegistryRoot::kUsers:
            return "HKU";
    }
    return "?";
}

void sort_names(std::vector<std::u16string>& names) {
    std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
        return os::compare_ignoring_case(a, b) < 0;
    });
}

std::string quoted(std::u16string_view text) {
    std::string out = "\"";
    for (char c : to_utf8(text)) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string value_text(os::RegValueType type, const std::vector<std::byte>& data) {
    char number[24];
    if (type == os::RegValueType::kString && data.size() % 2 == 0) {
        std::u16string text(data.size() / 2, u'\0');
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(std::to_integer<unsigned>(data[2 * i]) |
                                            std::to_integer<unsigned>(data[2 * i + 1]) << 8);
        // One terminator is how strings are stored; anything else is shown.
        if (!text.empty() && text.back() == u'\0') text.pop_back();
        return quoted(text);
    }
    if (type == os::RegValueType::kDword && data.size() == 4) {
        unsigned value = 0;
        for (std::size_t i = 4; i-- > 0;) value = value << 8 | std::to_integer<unsigned>(data[i]);
        std::snprintf(number, sizeof number, "dword:%08x", value);
        return number;
    }
    std::snprintf(number, sizeof number, "hex(%u):", static_cast<unsigned>(type));
    std::string out = number;
    for (std::size_t i = 0; i < data.size(); ++i) {
        std::snprintf(number, sizeof number, i ? ",%02x" : "%02x",
                      std::to_integer<unsigned>(data[i]));
        out += number;
    }
    return out;
}

void export_key(const os::RegKey& parent, std::u16string_view name, const std::string& label,
                std::string& out) {
    os::RegKey key;
    if (os::reg_open_key(parent, name, os::kRegRead, key) != os::kRegOk) return;
    out += "[" + label + "]\n";

    std::vector<std::u16string> values;
    std::u16string found;
    for (std::uint32_t index = 0;
         os::reg_enum_value(key, index, kValueNameCapacity, found) == os::kRegOk; ++index)
        values.push_back(found);
    sort_names(values);
    for (const auto& value : values) {
        os::RegValueType type = os::RegValueType::kNone;
        std::uint32_t size = 0;
        if (os::reg_query_value(key, value, type, {}, size) != os::kRegOk) continue;
        std::vector<std::byte> data(size);
        if (os::reg_query_value(key, value, type, data, size) != os::kRegOk) continue;
        data.resize(size);
        out += (value.empty() ? std::string("@") : quoted(value)) + "=" + value_text(type, data) +
               "\n";
    }

    std::vector<std::u16string> subkeys;
    for (std::uint32_t index = 0;
         os::reg_enum_key(key, index, os::kMaxRegKeyNameLength + 1, found) == os::kRegOk; ++index)
        subkeys.push_back(found);
    sort_names(subkeys);
    for (const auto& subkey : subkeys) export_key(key, subkey, label + "\\" + to_utf8(subkey), out);
}

}  // namespace

std::string to_utf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string export_registry_tree(os::RegistryRoot root, std::u16string_view path) {
    std::string out;
    export_key(os::RegKey::root(root), path, std::string(root_label(root)) + "\\" + to_utf8(path),
               out);
    return out;
}

std::string replace_all(std::string exported, std::string_view text, std::string_view name) {
    if (text.empty()) return exported;
    for (std::size_t at = exported.find(text); at != std::string::npos;
         at = exported.find(text, at + name.size()))
        exported.replace(at, text.size(), name);
    return exported;
}

}  // namespace kub::test

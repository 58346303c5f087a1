// The text form of the in-memory registry, in UTF-8, one item a line:
//
//   ; a comment (also "#"); blank lines are skipped
//   [HKEY_CURRENT_USER\Software\Korvex\Setup]      a key (created when missing); roots may also
//                                                  be written HKCR, HKCU, HKLM, HKU
//   "MenuIcons"=dword:00000001                     REG_DWORD, eight hexadecimal digits
//   "CustomExt"="arc;bin"                          REG_SZ; \\ and \" are the only escapes
//   @="text"                                       the key's default value
//   "Path"=expand:"%ProgramFiles%\\Korvex"         REG_EXPAND_SZ
//   "Data"=hex(3):01,ff                            any type by number, its bytes in hexadecimal
//
// Saving writes every key below the roots, each followed by its values, in enumeration order,
// so that loading the file into an empty registry gives the same registry again.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "common/os/posix/registry_tree.h"
#include "common/os/posix/utf8_code_point.h"

namespace kub::os {

namespace {

using registry_tree::Node;
using registry_tree::Value;

// Lone surrogates are carried through as three-byte sequences, so any name survives a round trip.
void append_utf8(std::u16string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        posix::append_utf8_code_point(out, c);
    }
}

bool decode_utf8(std::string_view text, std::u16string& out) {
    out.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = lead < 0x80                   ? 0
                            : lead >= 0xF0 && lead < 0xF5 ? 3
                            : lead >= 0xE0                ? 2
                            : lead >= 0xC2 && lead < 0xE0 ? 1
                                                          : 4;
        if (extra > 3 || text.size() - i <= extra) return false;
        std::uint32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            c = (c << 6) | (next & 0x3F);
        }
        constexpr std::uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (c < kSmallest[extra] || c > 0x10FFFF) return false;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += extra + 1;
    }
    return true;
}

void append_quoted(std::u16string_view text, std::string& out) {
    out += '"';
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\') out += '\\';
        append_utf8(std::u16string_view(&c, 1), out);
    }
    out += '"';
}

// Text values are written as text only when they read back to the same bytes.
bool as_text(const Value& value, std::u16string& text) {
    if (value.type != RegValueType::kString && value.type != RegValueType::kExpandString)
        return false;
    const auto& data = value.data;
    if (data.size() < 2 || data.size() % 2 != 0) return false;
    text.clear();
    for (std::size_t i = 0; i + 2 < data.size(); i += 2) {
        char16_t c = static_cast<char16_t>(std::to_integer<unsigned>(data[i]) |
                                           std::to_integer<unsigned>(data[i + 1]) << 8);
        if (c == u'\0') return false;
        text += c;
    }
    return data[data.size() - 2] == std::byte{0} && data[data.size() - 1] == std::byte{0};
}

void write_value(const std::u16string& name, const Value& value, std::string& out) {
    if (name.empty()) {
        out += '@';
    } else {
        append_quoted(name, out);
    }
    out += '=';
    std::u16string text;
    char digits[16];
    if (as_text(value, text)) {
        if (value.type == RegValueType::kExpandString) out += "expand:";
        append_quoted(text, out);
    } else if (value.type == RegValueType::kDword && value.data.size() == 4) {
        std::uint32_t number = 0;
        for (std::size_t i = 4; i-- > 0;)
            number = number << 8 | std::to_integer<std::uint32_t>(value.data[i]);
        std::snprintf(digits, sizeof digits, "%08x", number);
        out += "dword:";
        out += digits;
    } else {
        std::snprintf(digits, sizeof digits, "hex(%x):", static_cast<unsigned>(value.type));
        out += digits;
        for (std::size_t i = 0; i < value.data.size(); ++i) {
            std::snprintf(digits, sizeof digits, i ? ",%02x" : "%02x",
                          std::to_integer<unsigned>(value.data[i]));
            out += digits;
        }
    }
    out += '\n';
}

void write_key(const std::string& path, const Node& node, bool is_root, std::string& out) {
    if (!is_root || !node.values.empty()) out += "\n[" + path + "]\n";
    for (const auto& [name, value] : node.values) write_value(name, value, out);
    for (const auto& [name, child] : node.children) {
        std::string child_path = path + '\\';
        append_utf8(name, child_path);
        write_key(child_path, *child, false, out);
    }
}

// Reads a quoted string at text[pos], leaving pos after its closing quote.
bool read_quoted(std::string_view text, std::size_t& pos, std::u16string& out) {
    if (pos >= text.size() || text[pos] != '"') return false;
    std::string raw;
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '"') {
            ++pos;
            return decode_utf8(raw, out);
        }
        if (c == '\\') {
            if (++pos >= text.size() || (text[pos] != '\\' && text[pos] != '"')) return false;
            c = text[pos];
        }
        raw += c;
    }
    return false;
}

bool read_hex(std::string_view text, std::uint32_t& number, std::size_t max_digits) {
    if (text.empty() || text.size() > max_digits) return false;
    number = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
        if (digit < 0) return false;
        number = number << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
}

void set_text(Value& value, RegValueType type, std::u16string_view text) {
    value.type = type;
    value.data.clear();
    for (char16_t c : text) {
        value.data.push_back(std::byte(c & 0xFF));
        value.data.push_back(std::byte(c >> 8));
    }
    value.data.insert(value.data.end(), 2, std::byte{0});
}

bool read_value(std::string_view data, Value& value) {
    std::size_t pos = 0;
    std::u16string text;
    std::uint32_t number = 0;
    if (data.starts_with("dword:")) {
        if (!read_hex(data.substr(6), number, 8)) return false;
        value.type = RegValueType::kDword;
        value.data.clear();
        for (int i = 0; i < 4; ++i) value.data.push_back(std::byte((number >> (8 * i)) & 0xFF));
        return true;
    }
    if (data.starts_with("hex(")) {
        std::size_t close = data.find("):");
        if (close == std::string_view::npos || !read_hex(data.substr(4, close - 4), number, 8))
            return false;
        value.type = static_cast<RegValueType>(number);
        value.data.clear();
        std::string_view bytes = data.substr(close + 2);
        while (!bytes.empty()) {
            std::size_t comma = std::min(bytes.find(','), bytes.size());
            std::uint32_t byte = 0;
            if (!read_hex(bytes.substr(0, comma), byte, 2)) return false;
            value.data.push_back(std::byte(byte));
            bytes.remove_prefix(std::min(comma + 1, bytes.size()));
        }
        return true;
    }
    RegValueType type = RegValueType::kString;
    if (data.starts_with("expand:")) {
        type = RegValueType::kExpandString;
        pos = 7;
    }
    if (!read_quoted(data, pos, text) || pos != data.size()) return false;
    set_text(value, type, text);
    return true;
}

bool find_root(std::string_view name, RegistryRoot& root) {
    static constexpr struct {
        const char* short_name;
        RegistryRoot root;
    } kShortNames[] = {{"HKCR", RegistryRoot::kClassesRoot},
                       {"HKCU", RegistryRoot::kCurrentUser},
                       {"HKLM", RegistryRoot::kLocalMachine},
                       {"HKU", RegistryRoot::kUsers}};
    for (const auto& entry : kShortNames) {
        if (name == entry.short_name || name == registry_tree::root_name(entry.root)) {
            root = entry.root;
            return true;
        }
    }
    return false;
}

bool load_text(std::string_view text, std::string& error) {
    RegKey key;
    std::size_t line_number = 0;
    auto fail = [&](const char* what) {
        error = "line " + std::to_string(line_number) + ": " + what;
        return false;
    };
    while (!text.empty()) {
        ++line_number;
        std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.back() != ']') return fail("a key line must end with ]");
            std::string_view path = line.substr(1, line.size() - 2);
            std::size_t slash = std::min(path.find('\\'), path.size());
            RegistryRoot root;
            if (!find_root(path.substr(0, slash), root)) return fail("unknown root key");
            std::u16string subkey;
            if (!decode_utf8(path.substr(std::min(slash + 1, path.size())), subkey))
                return fail("the key name is not UTF-8");
            if (reg_create_key(RegKey::root(root), subkey, kRegWrite, key) != kRegOk)
                return fail("the key cannot be created");
            continue;
        }
        if (!key.is_open()) return fail("a value before the first key");
        std::u16string name;
        std::size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (!read_quoted(line, pos, name)) {
            return fail("a value name must be quoted");
        }
        if (pos >= line.size() || line[pos] != '=') return fail("= expected after the value name");
        Value value;
        if (!read_value(line.substr(pos + 1), value)) return fail("the value cannot be read");
        if (reg_set_value(key, name, value.type, value.data) != kRegOk)
            return fail("the value cannot be stored");
    }
    return true;
}

}  // namespace

bool load_registry_file(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    return load_text(content.str(), error);
}

bool save_registry_file(const std::string& path) {
    std::string out = "; Registry of the native build\n";
    for (RegistryRoot root : registry_tree::kAllRoots)
        write_key(registry_tree::root_name(root), *registry_tree::root_node(root), true, out);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << out;
    return static_cast<bool>(file.flush());
}

}  // namespace kub::os

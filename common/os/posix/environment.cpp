#include <cstdlib>

#include "common/os/os_environment.h"
#include "common/os/posix/native_path.h"

namespace kub::os {

bool get_environment_variable(std::u16string_view name, std::u16string& value) {
    std::string native_name;
    for (const char16_t c : name) {
        // Variable names are plain ASCII on every system this runs on.
        if (c == 0 || c > 0x7F || c == u'=') return false;
        native_name += static_cast<char>(c);
    }
    const char* found = std::getenv(native_name.c_str());
    if (found == nullptr) return false;
    value = posix::from_native_name(found);
    return true;
}

std::u16string expand_environment_strings(std::u16string_view text) {
    std::u16string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto open = text.find(u'%', pos);
        const auto close = open == std::u16string_view::npos ? open : text.find(u'%', open + 1);
        if (close == std::u16string_view::npos) break;
        out.append(text.substr(pos, open - pos));
        std::u16string value;
        if (close > open + 1 &&
            get_environment_variable(text.substr(open + 1, close - open - 1), value)) {
            out += value;
            pos = close + 1;
        } else {
            // An unknown name stays, and its closing "%" may open the next one.
            out += u'%';
            out.append(text.substr(open + 1, close - open - 1));
            pos = close;
        }
    }
    out.append(text.substr(std::min(pos, text.size())));
    return out;
}

}  // namespace kub::os

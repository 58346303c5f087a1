#include <windows.h>

#include "common/os/os_environment.h"
#include "common/os/win32/wide_cast.h"

namespace kub::os {

bool get_environment_variable(std::u16string_view name, std::u16string& value) {
    const std::u16string key(name);
    const DWORD needed = ::GetEnvironmentVariableW(as_wcstr(key.c_str()), nullptr, 0);
    if (needed == 0) return false;
    std::u16string buffer(needed, u'\0');
    const DWORD length =
        ::GetEnvironmentVariableW(as_wcstr(key.c_str()), as_wcstr(buffer.data()), needed);
    if (length == 0 && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
    buffer.resize(length < needed ? length : 0);
    value = std::move(buffer);
    return true;
}

std::u16string expand_environment_strings(std::u16string_view text) {
    const std::u16string source(text);
    const DWORD needed = ::ExpandEnvironmentStringsW(as_wcstr(source.c_str()), nullptr, 0);
    if (needed == 0) return source;
    std::u16string buffer(needed, u'\0');
    const DWORD length =
        ::ExpandEnvironmentStringsW(as_wcstr(source.c_str()), as_wcstr(buffer.data()), needed);
    if (length == 0 || length > needed) return source;
    buffer.resize(length - 1);  // the count includes the terminator
    return buffer;
}

}  // namespace kub::os

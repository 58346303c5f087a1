#include <windows.h>

#include "common/os/os_registry.h"
#include "common/os/win32/wide_cast.h"

namespace kub::os {

static_assert(kRegQueryValue == KEY_QUERY_VALUE && kRegSetValue == KEY_SET_VALUE &&
              kRegCreateSubKey == KEY_CREATE_SUB_KEY &&
              kRegEnumerateSubKeys == KEY_ENUMERATE_SUB_KEYS && kRegNotify == KEY_NOTIFY &&
              kRegRead == KEY_READ &&
              kRegWrite == KEY_WRITE && kRegView32 == KEY_WOW64_32KEY);
static_assert(kRegNotFound == ERROR_FILE_NOT_FOUND && kRegAccessDenied == ERROR_ACCESS_DENIED &&
              kRegMoreData == ERROR_MORE_DATA && kRegNoMoreItems == ERROR_NO_MORE_ITEMS &&
              kRegBadPathName == ERROR_BAD_PATHNAME && kRegKeyDeleted == ERROR_KEY_DELETED &&
              kRegInvalidParameter == ERROR_INVALID_PARAMETER);

namespace {

HKEY handle_of(const RegKey& key) {
    return static_cast<HKEY>(key.native_handle());
}

// The system wants terminated names; views are not.
const wchar_t* terminated(const std::u16string& text) {
    return as_wcstr(text.c_str());
}

}  // namespace

RegKey RegKey::root(RegistryRoot which) {
    HKEY handle = HKEY_CURRENT_USER;
    switch (which) {
        case RegistryRoot::kClassesRoot:
            handle = HKEY_CLASSES_ROOT;
            break;
        case RegistryRoot::kCurrentUser:
            handle = HKEY_CURRENT_USER;
            break;
        case RegistryRoot::kLocalMachine:
            handle = HKEY_LOCAL_MACHINE;
            break;
        case RegistryRoot::kUsers:
            handle = HKEY_USERS;
            break;
    }
    return adopt(handle, false);
}

void RegKey::close() noexcept {
    if (handle_ && owned_) ::RegCloseKey(static_cast<HKEY>(handle_));
    handle_ = nullptr;
    owned_ = false;
}

RegStatus reg_open_key(const RegKey& parent, std::u16string_view path, std::uint32_t access,
                       RegKey& key) {
    key.close();
    const std::u16string name(path);
    HKEY opened = nullptr;
    LONG status = ::RegOpenKeyExW(handle_of(parent), terminated(name), 0, access, &opened);
    if (status == ERROR_SUCCESS) key = RegKey::adopt(opened, true);
    return static_cast<RegStatus>(status);
}

RegStatus reg_create_key(const RegKey& parent, std::u16string_view path, std::uint32_t access,
                         RegKey& key) {
    key.close();
    const std::u16string name(path);
    HKEY created = nullptr;
    LONG status = ::RegCreateKeyExW(handle_of(parent), terminated(name), 0, nullptr,
                                    REG_OPTION_NON_VOLATILE, access, nullptr, &created, nullptr);
    if (status == ERROR_SUCCESS) key = RegKey::adopt(created, true);
    return static_cast<RegStatus>(status);
}

RegStatus reg_query_value(const RegKey& key, std::u16string_view name, RegValueType& type,
                          std::span<std::byte> buffer, std::uint32_t& size) {
    const std::u16string value_name(name);
    DWORD stored_type = REG_NONE;
    DWORD bytes = static_cast<DWORD>(buffer.size());
    LONG status = ::RegQueryValueExW(handle_of(key), terminated(value_name), nullptr, &stored_type,
                                     reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    type = static_cast<RegValueType>(stored_type);
    size = bytes;
    return static_cast<RegStatus>(status);
}

RegStatus reg_set_value(const RegKey& key, std::u16string_view name, RegValueType type,
                        std::span<const std::byte> data) {
    const std::u16string value_name(name);
    return static_cast<RegStatus>(::RegSetValueExW(
        handle_of(key), terminated(value_name), 0, static_cast<DWORD>(type),
        reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size())));
}

RegStatus reg_delete_value(const RegKey& key, std::u16string_view name) {
    const std::u16string value_name(name);
    return static_cast<RegStatus>(::RegDeleteValueW(handle_of(key), terminated(value_name)));
}

RegStatus reg_enum_key(const RegKey& key, std::uint32_t index, std::size_t capacity,
                       std::u16string& name) {
    name.clear();
    std::u16string buffer(capacity, u'\0');
    DWORD length = static_cast<DWORD>(capacity);
    LONG status = ::RegEnumKeyExW(handle_of(key), index, as_wcstr(buffer.data()), &length, nullptr,
                                  nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) name.assign(buffer, 0, length);
    return static_cast<RegStatus>(status);
}

RegStatus reg_enum_value(const RegKey& key, std::uint32_t index, std::size_t capacity,
                         std::u16string& name) {
    name.clear();
    std::u16string buffer(capacity, u'\0');
    DWORD length = static_cast<DWORD>(capacity);
    LONG status = ::RegEnumValueW(handle_of(key), index, as_wcstr(buffer.data()), &length, nullptr,
                                  nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) name.assign(buffer, 0, length);
    return static_cast<RegStatus>(status);
}

RegStatus reg_delete_key(const RegKey& parent, std::u16string_view path, std::uint32_t view) {
    const std::u16string name(path);
    return static_cast<RegStatus>(
        ::RegDeleteKeyExW(handle_of(parent), terminated(name), view & kRegView32, 0));
}

RegChangeWatch::~RegChangeWatch() {
    if (event_ != nullptr) ::CloseHandle(static_cast<HANDLE>(event_));
}

bool RegChangeWatch::arm(const RegKey& key, bool subtree) {
    armed_ = false;
    if (event_ == nullptr) event_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (event_ == nullptr) return false;
    ::ResetEvent(static_cast<HANDLE>(event_));
    armed_ = ::RegNotifyChangeKeyValue(handle_of(key), subtree ? TRUE : FALSE,
                                       REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                       static_cast<HANDLE>(event_), TRUE) == ERROR_SUCCESS;
    return armed_;
}

bool RegChangeWatch::changed() const {
    return !armed_ || ::WaitForSingleObject(static_cast<HANDLE>(event_), 0) != WAIT_TIMEOUT;
}

}  // namespace kub::os

#include "tests/wine/host/shell_host.h"

#include <shellapi.h>

namespace kub::wine_host {

std::wstring kubext_dll_path() {
    // KUB_KUBEXT_DLL is the build tree's path on the Linux side; Wine maps "/" to drive Z:.
    std::wstring path = L"Z:";
    for (const char* p = KUB_KUBEXT_DLL; *p != '\0'; ++p) {
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    }
    return path;
}

HRESULT loaded_kubext_can_unload_now() {
    HMODULE module = ::GetModuleHandleW(L"Kubext.dll");
    if (module == nullptr) return E_UNEXPECTED;
    using Function = HRESULT(STDAPICALLTYPE*)();
    auto function = reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
    return function != nullptr ? function() : E_UNEXPECTED;
}

LONG register_in_process_server(const wchar_t* class_text, const std::wstring& dll) {
    const std::wstring key = std::wstring(L"CLSID\\") + class_text + L"\\InProcServer32";
    HKEY handle = nullptr;
    LONG error = ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                   nullptr, &handle, nullptr);
    if (error != ERROR_SUCCESS) return error;
    const wchar_t model[] = L"Apartment";
    error = ::RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(dll.c_str()),
                             static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t)));
    if (error == ERROR_SUCCESS) {
        error = ::RegSetValueExW(handle, L"ThreadingModel", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(model), sizeof(model));
    }
    ::RegCloseKey(handle);
    return error;
}

void unregister_in_process_server(const wchar_t* class_text) {
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + class_text).c_str());
}

ItemList folder_item_list(const std::wstring& path) {
    return ItemList(::ILCreateFromPathW(path.c_str()));
}

ItemList computer_item_list() {
    ITEMIDLIST* list = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &list))) return nullptr;
    return ItemList(list);
}

ScratchFolder::ScratchFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    path_.assign(temp, length);
    if (!path_.empty() && path_.back() != L'\\') path_ += L'\\';
    path_ += name;
    ::CreateDirectoryW(path_.c_str(), nullptr);
}

void delete_tree(const std::wstring& path) {
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    // SHFileOperation wants a double-terminated list.
    std::wstring from = path + L'\0';
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    ::SHFileOperationW(&operation);
}

ScratchFolder::~ScratchFolder() { delete_tree(path_); }

}  // namespace kub::wine_host

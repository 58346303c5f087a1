#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <string>

#include "common/os/os_shell_path.h"
#include "common/os/win32/wide_cast.h"

namespace kub::os {
namespace {

using CreateItemFunction = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);

// PKEY_Size, spelled out so nothing depends on the property-key import library.
constexpr PROPERTYKEY kSizeKey = {
    {0xB725F130, 0x47EF, 0x101A, {0xA5, 0xF1, 0x02, 0x60, 0x8C, 0x9E, 0xEB, 0xAC}}, 12};

bool shell_items_available() {
    const DWORD version = ::GetVersion();
    const DWORD major = LOBYTE(LOWORD(version));
    const DWORD minor = HIBYTE(LOWORD(version));
    return ((major << 8) | minor) >= 0x0600;
}

// Looked up at run time: older systems lack the function.
CreateItemFunction create_item_function() {
    HMODULE shell = ::GetModuleHandleW(L"Shell32.dll");
    if (shell == nullptr) shell = ::LoadLibraryW(L"Shell32.dll");
    if (shell == nullptr) return nullptr;
    return reinterpret_cast<CreateItemFunction>(
        reinterpret_cast<void*>(::GetProcAddress(shell, "SHCreateItemFromParsingName")));
}

}  // namespace

DriveType drive_type(std::u16string_view root) {
    const std::u16string text(root);
    switch (::GetDriveTypeW(text.empty() ? nullptr : as_wcstr(text.c_str()))) {
        case DRIVE_NO_ROOT_DIR: return DriveType::no_root;
        case DRIVE_REMOVABLE: return DriveType::removable;
        case DRIVE_FIXED: return DriveType::fixed;
        case DRIVE_REMOTE: return DriveType::network;
        case DRIVE_CDROM: return DriveType::optical;
        case DRIVE_RAMDISK: return DriveType::ram_disk;
        default: return DriveType::unknown;
    }
}

bool shell_folder_test(std::u16string_view path, bool& folder) {
    if (!shell_items_available()) return false;
    const CreateItemFunction create_item = create_item_function();
    if (create_item == nullptr) return false;
    const std::u16string text(path);
    Microsoft::WRL::ComPtr<IShellItem> item;
    if (FAILED(create_item(as_wcstr(text.c_str()), nullptr, IID_IShellItem,
                           reinterpret_cast<void**>(item.GetAddressOf())))) {
        return false;
    }
    SFGAOF attributes = 0;
    if (FAILED(item->GetAttributes(SFGAO_FOLDER | SFGAO_STREAM, &attributes))) attributes = 0;
    // An item with a size is file content, whatever namespace presents it as a folder.
    Microsoft::WRL::ComPtr<IShellItem2> item2;
    if (SUCCEEDED(item.As(&item2))) {
        ULONGLONG size = 0;
        if (SUCCEEDED(item2->GetUInt64(kSizeKey, &size)) && size != 0) attributes = 0;
    }
    folder = (attributes & SFGAO_FOLDER) != 0 && (attributes & SFGAO_STREAM) == 0;
    return true;
}

}  // namespace kub::os

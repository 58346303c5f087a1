#pragma once
// What an Explorer-like host needs to drive the extension: the built DLL registered in the
// prefix as setup registers it, a COM apartment, folder item lists and scratch folders.
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

namespace kub::wine_host {

// The class the extension serves, in registry form.
inline constexpr wchar_t kShellExtensionClassText[] = L"{B41DB860-64E4-11D2-9906-E49FADC173CA}";
inline constexpr CLSID kShellExtensionClass = {
    0xB41DB860, 0x64E4, 0x11D2, {0x99, 0x06, 0xE4, 0x9F, 0xAD, 0xC1, 0x73, 0xCA}};

// Windows form of the built Kubext.dll (the build tree seen through drive Z:).
std::wstring kubext_dll_path();

// DllCanUnloadNow of the Kubext.dll loaded in this process, called without taking a reference
// on the library; E_UNEXPECTED when none is loaded.
HRESULT loaded_kubext_can_unload_now();

// HKCR CLSID\{class}\InProcServer32: default value = dll, ThreadingModel = Apartment.
// Returns the registry error code.
LONG register_in_process_server(const wchar_t* class_text, const std::wstring& dll);
void unregister_in_process_server(const wchar_t* class_text);

// A single-threaded apartment for the scope of the object, as Explorer's windows run in.
class Apartment {
public:
    Apartment() : result_(::OleInitialize(nullptr)) {}
    ~Apartment() {
        if (SUCCEEDED(result_)) ::OleUninitialize();
    }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;
    bool ok() const { return SUCCEEDED(result_); }

private:
    HRESULT result_;
};

struct ItemListDeleter {
    void operator()(ITEMIDLIST* list) const { ::ILFree(list); }
};
using ItemList = std::unique_ptr<ITEMIDLIST, ItemListDeleter>;

// The absolute item list of a file-system folder, as the shell passes the target of a
// right-drag; null if the path cannot be parsed.
ItemList folder_item_list(const std::wstring& path);

// The item list of a virtual folder without a file-system path ("Computer").
ItemList computer_item_list();

// Deletes a file or a folder with everything in it, silently; a missing path is left alone.
void delete_tree(const std::wstring& path);

// A fresh folder under the prefix's temporary folder (removed with its files by the destructor).
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

}  // namespace kub::wine_host

#include <windows.h>

#include <string>

#include "common/os/os_memory_protection.h"

namespace kub::os {
namespace {

// dpapi.h: encryption usable only by the same process.
constexpr DWORD kSameProcess = 0;

using CryptMemoryFunction = BOOL(WINAPI*)(LPVOID data, DWORD size, DWORD flags);

struct CryptFunctions {
    CryptMemoryFunction protect = nullptr;
    CryptMemoryFunction unprotect = nullptr;
};

// Looked up once, even when absent. Loaded from the system folder by full path, so a DLL of that
// name beside the host process is never picked up instead.
const CryptFunctions& crypt_functions() {
    static const CryptFunctions functions = [] {
        CryptFunctions f;
        wchar_t folder[MAX_PATH];
        UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return f;
        std::wstring path(folder, length);
        path += L"\\Crypt32.dll";
        HMODULE module = ::LoadLibraryW(path.c_str());
        if (module == nullptr) return f;
        f.protect = reinterpret_cast<CryptMemoryFunction>(
            reinterpret_cast<void*>(::GetProcAddress(module, "CryptProtectMemory")));
        f.unprotect = reinterpret_cast<CryptMemoryFunction>(
            reinterpret_cast<void*>(::GetProcAddress(module, "CryptUnprotectMemory")));
        return f;
    }();
    return functions;
}

}  // namespace

MemoryProtectionResult protect_process_memory(void* data, std::size_t size, bool encrypt) {
    const CryptFunctions& f = crypt_functions();
    CryptMemoryFunction function = encrypt ? f.protect : f.unprotect;
    if (function == nullptr) return MemoryProtectionResult::kUnavailable;
    if (size == 0) return MemoryProtectionResult::kDone;
    if (size > MAXDWORD) return MemoryProtectionResult::kFailed;
    return function(data, static_cast<DWORD>(size), kSameProcess) ? MemoryProtectionResult::kDone
                                                                  : MemoryProtectionResult::kFailed;
}

}  // namespace kub::os

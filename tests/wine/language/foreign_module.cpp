// A library that is not a language module: it has code that runs when it is loaded as a
// library, and raises a named event to say so. Copied as kublng.dll, it must never run.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) ::CreateEventW(nullptr, TRUE, TRUE, L"KubForeignModuleRan");
    return TRUE;
}

// The library's entry points: the loader notification and the two exports the COM loader calls.
#include <windows.h>

#include "shellext/win32/com/class_factory.h"
#include "shellext/win32/com/library_lifetime.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) kub::on_library_load(instance);
    if (reason == DLL_PROCESS_DETACH) kub::on_library_unload();
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return kub::get_class_object(clsid, iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return kub::can_unload_now(); }

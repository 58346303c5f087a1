#pragma once
// The class factory and the lookup behind DllGetClassObject.
#include <windows.h>

namespace kub {

// DllGetClassObject's work: a factory for a served class, asked for `iid`. The out pointer is
// cleared first; CLASS_E_CLASSNOTAVAILABLE for any other class. Never throws.
HRESULT get_class_object(REFCLSID clsid, REFIID iid, void** out) noexcept;

// DllCanUnloadNow's answer: S_FALSE while an object, factory or page is alive, else S_OK.
HRESULT can_unload_now() noexcept;

}  // namespace kub

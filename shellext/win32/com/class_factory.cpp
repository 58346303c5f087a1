#include "shellext/win32/com/class_factory.h"

#include <iterator>
#include <new>

#include "shellext/core/module_state.h"
#include "shellext/win32/com/class_ids.h"
#include "shellext/win32/com/com_guard.h"
#include "shellext/win32/com/shell_extension.h"

namespace kub {
namespace {

using CreateFunction = HRESULT (*)(REFIID iid, void** out);

struct ServedClass {
    const CLSID* clsid;
    CreateFunction create;
};

constexpr ServedClass kServedClasses[] = {
    {&kShellExtensionClassId, &ShellExtension::create},
};

class ShellExtClassFactory final : public IClassFactory {
public:
    explicit ShellExtClassFactory(CreateFunction create) : create_(create) { ++ModuleRefCount; }
    ShellExtClassFactory(const ShellExtClassFactory&) = delete;
    ShellExtClassFactory& operator=(const ShellExtClassFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) {
            return E_NOINTERFACE;
        }
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }

    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references_); }

    STDMETHODIMP_(ULONG) Release() override {
        const LONG count = --references_;
        if (count <= 0) delete this;
        return static_cast<ULONG>(count);
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        return com_guard([&] { return create_(iid, out); });
    }

    // Explorer keeps the library loaded through DllCanUnloadNow alone.
    STDMETHODIMP LockServer(BOOL) override { return E_NOTIMPL; }

private:
    ~ShellExtClassFactory() { --ModuleRefCount; }

    LONG references_ = 1;
    CreateFunction create_;
};

}  // namespace

HRESULT get_class_object(REFCLSID clsid, REFIID iid, void** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    for (const ServedClass& served : kServedClasses) {
        if (!IsEqualCLSID(clsid, *served.clsid)) continue;
        auto* factory = new (std::nothrow) ShellExtClassFactory(served.create);
        if (factory == nullptr) return E_OUTOFMEMORY;
        // A failing QueryInterface leaves the factory with no other reference: this Release
        // destroys it again and restores the module count.
        const HRESULT result = factory->QueryInterface(iid, out);
        factory->Release();
        return result;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT can_unload_now() noexcept { return ModuleRefCount > 0 ? S_FALSE : S_OK; }

}  // namespace kub

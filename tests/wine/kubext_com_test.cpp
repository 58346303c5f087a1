// Kubext.dll as Explorer meets it: registered in the prefix, loaded by CoCreateInstance in a
// single-threaded apartment, its objects reached only through their interfaces.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/wine/host/hdrop_data_object.h"
#include "tests/wine/host/shell_host.h"

namespace kub::wine_host {
namespace {

using Microsoft::WRL::ComPtr;

// The published interface identifiers, spelled out so the test does not lean on the headers the
// DLL was built with.
constexpr IID kIUnknown = {0x00000000, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIClassFactory = {0x00000001, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIShellPropSheetExt = {0x000214E9, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIContextMenu = {0x000214E4, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIShellExtInit = {0x000214E8, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIDropTarget = {0x00000122, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIContextMenu2 = {0x000214F4, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIContextMenu3 = {0xBCFCE0A0, 0xEC17, 0x11D0,
                                {0x8D, 0x10, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x19}};
constexpr CLSID kOtherClass = {0xB41DB861, 0x64E4, 0x11D2,
                               {0x99, 0x06, 0xE4, 0x9F, 0xAD, 0xC1, 0x73, 0xCA}};

void* const kGarbage = reinterpret_cast<void*>(0x1234);

using DllGetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using DllCanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

HMODULE loaded_kubext() { return ::GetModuleHandleW(L"Kubext.dll"); }

// DllCanUnloadNow of the copy COM loaded.
HRESULT can_unload_now() { return loaded_kubext_can_unload_now(); }

class KubextComTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(register_in_process_server(kShellExtensionClassText, kubext_dll_path()),
                  ERROR_SUCCESS);
    }
    static void TearDownTestSuite() { unregister_in_process_server(kShellExtensionClassText); }

    void SetUp() override { ASSERT_TRUE(apartment_.ok()); }
    // Explorer frees unused servers periodically; without it, leaving the apartment keeps the
    // library loaded for the rest of the process.
    void TearDown() override { ::CoFreeUnusedLibraries(); }

    template <class Interface>
    ComPtr<Interface> create(const IID& iid) {
        ComPtr<Interface> object;
        EXPECT_EQ(::CoCreateInstance(kShellExtensionClass, nullptr, CLSCTX_INPROC_SERVER, iid,
                                     reinterpret_cast<void**>(object.GetAddressOf())),
                  S_OK);
        return object;
    }

    Apartment apartment_;
};

TEST_F(KubextComTest, DllLoadsFromItsRegistrationAndServesTheClass) {
    ComPtr<IUnknown> object = create<IUnknown>(kIUnknown);
    ASSERT_NE(object, nullptr);
    wchar_t loaded_from[MAX_PATH * 4] = {};
    ASSERT_NE(::GetModuleFileNameW(loaded_kubext(), loaded_from, MAX_PATH * 4), 0u);
    EXPECT_EQ(::lstrcmpiW(loaded_from, kubext_dll_path().c_str()), 0);
}

TEST_F(KubextComTest, QueryInterfaceAnswersThePublishedInterfacesWithOneIdentity) {
    ComPtr<IUnknown> identity = create<IUnknown>(kIUnknown);
    ASSERT_NE(identity, nullptr);

    struct Case {
        const char* name;
        IID iid;
        bool served;
        bool is_identity_pointer;  // the IContextMenu interface doubles as IUnknown
    };
    const Case cases[] = {
        {"IUnknown", kIUnknown, true, true},
        {"IContextMenu", kIContextMenu, true, true},
        {"IShellPropSheetExt", kIShellPropSheetExt, true, false},
        {"IShellExtInit", kIShellExtInit, true, false},
        {"IPersistFile", kIPersistFile, true, false},
        {"IDropTarget", kIDropTarget, true, false},
        {"IContextMenu2", kIContextMenu2, false, false},
        {"IContextMenu3", kIContextMenu3, false, false},
        {"IClassFactory", kIClassFactory, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        void* pointer = kGarbage;
        const HRESULT result = identity->QueryInterface(c.iid, &pointer);
        if (!c.served) {
            EXPECT_EQ(result, E_NOINTERFACE);
            EXPECT_EQ(pointer, nullptr);
            continue;
        }
        ASSERT_EQ(result, S_OK);
        auto* answered = static_cast<IUnknown*>(pointer);
        EXPECT_EQ(pointer == identity.Get(), c.is_identity_pointer);
        // Every interface leads back to the same identity.
        void* back = nullptr;
        ASSERT_EQ(answered->QueryInterface(kIUnknown, &back), S_OK);
        EXPECT_EQ(back, identity.Get());
        static_cast<IUnknown*>(back)->Release();
        answered->Release();
    }
    identity.Reset();
    EXPECT_EQ(can_unload_now(), S_OK) << "a reference was left behind";
}

TEST_F(KubextComTest, AllInterfacesShareOneReferenceCount) {
    ComPtr<IContextMenu> menu = create<IContextMenu>(kIContextMenu);
    ASSERT_NE(menu, nullptr);
    IDropTarget* drop = nullptr;
    ASSERT_EQ(menu->QueryInterface(kIDropTarget, reinterpret_cast<void**>(&drop)), S_OK);
    // Two references now: the one from CoCreateInstance and the one from QueryInterface.
    EXPECT_EQ(drop->AddRef(), 3u);
    EXPECT_EQ(menu->Release(), 2u);
    EXPECT_EQ(drop->Release(), 1u);
    EXPECT_EQ(menu->AddRef(), 2u);
    drop->Release();
}

TEST_F(KubextComTest, InterfaceSlotsGiveTheirFixedAnswers) {
    ComPtr<IUnknown> identity = create<IUnknown>(kIUnknown);
    ASSERT_NE(identity, nullptr);
    ComPtr<IShellPropSheetExt> sheet;
    ComPtr<IPersistFile> file;
    ComPtr<IDropTarget> drop;
    ASSERT_EQ(identity.As(&sheet), S_OK);
    ASSERT_EQ(identity.As(&file), S_OK);
    ASSERT_EQ(identity.As(&drop), S_OK);

    EXPECT_EQ(sheet->ReplacePage(0, nullptr, 0), E_FAIL);

    CLSID clsid{};
    EXPECT_EQ(file->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, kShellExtensionClass));
    EXPECT_EQ(file->IsDirty(), S_OK);
    EXPECT_EQ(file->Load(L"C:\\target.kub", STGM_READ), S_OK);
    EXPECT_EQ(file->Save(L"C:\\other.kub", TRUE), S_OK);
    EXPECT_EQ(file->SaveCompleted(L"C:\\other.kub"), S_OK);
    LPOLESTR current = reinterpret_cast<LPOLESTR>(kGarbage);
    EXPECT_EQ(file->GetCurFile(&current), E_FAIL);
    EXPECT_EQ(current, nullptr);

    EXPECT_EQ(drop->DragLeave(), S_OK);
}

TEST_F(KubextComTest, ClassFactoryRefusesAggregationAndLocking) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(::CoGetClassObject(kShellExtensionClass, CLSCTX_INPROC_SERVER, nullptr,
                                 kIClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())),
              S_OK);
    ComPtr<IUnknown> outer = create<IUnknown>(kIUnknown);  // any object will do as the outer one
    void* pointer = kGarbage;
    EXPECT_EQ(factory->CreateInstance(outer.Get(), kIUnknown, &pointer), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(pointer, nullptr);

    EXPECT_EQ(factory->LockServer(TRUE), E_NOTIMPL);
    EXPECT_EQ(factory->LockServer(FALSE), E_NOTIMPL);

    pointer = kGarbage;
    EXPECT_EQ(factory->CreateInstance(nullptr, kIContextMenu2, &pointer), E_NOINTERFACE);
    EXPECT_EQ(pointer, nullptr);

    pointer = kGarbage;
    EXPECT_EQ(factory->QueryInterface(kIContextMenu, &pointer), E_NOINTERFACE);
    EXPECT_EQ(pointer, nullptr);
    ComPtr<IUnknown> factory_identity;
    EXPECT_EQ(factory.As(&factory_identity), S_OK);
    EXPECT_EQ(static_cast<void*>(factory_identity.Get()), static_cast<void*>(factory.Get()));
}

// The library loaded by hand, for calling DllGetClassObject directly as the COM loader does.
class LoadedKubext {
public:
    LoadedKubext() : module_(::LoadLibraryW(kubext_dll_path().c_str())) {}
    ~LoadedKubext() {
        if (module_ != nullptr) ::FreeLibrary(module_);
    }
    LoadedKubext(const LoadedKubext&) = delete;
    LoadedKubext& operator=(const LoadedKubext&) = delete;
    bool ok() const { return module_ != nullptr && get_class_object && can_unload_now; }

    HMODULE module_;
    DllGetClassObjectFunction get_class_object = lookup<DllGetClassObjectFunction>("DllGetClassObject");
    DllCanUnloadNowFunction can_unload_now = lookup<DllCanUnloadNowFunction>("DllCanUnloadNow");

private:
    template <class Function>
    Function lookup(const char* name) {
        if (module_ == nullptr) return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
    }
};

TEST_F(KubextComTest, DllGetClassObjectFailuresLeaveNothingAlive) {
    LoadedKubext dll;
    ASSERT_TRUE(dll.ok());
    ASSERT_EQ(dll.can_unload_now(), S_OK);

    void* pointer = kGarbage;
    EXPECT_EQ(dll.get_class_object(kOtherClass, kIClassFactory, &pointer),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(pointer, nullptr);

    // The factory made for the request is destroyed again: the module count is unchanged.
    pointer = kGarbage;
    EXPECT_EQ(dll.get_class_object(kShellExtensionClass, kIContextMenu, &pointer), E_NOINTERFACE);
    EXPECT_EQ(pointer, nullptr);
    EXPECT_EQ(dll.can_unload_now(), S_OK);

    ComPtr<IUnknown> factory;
    EXPECT_EQ(dll.get_class_object(kShellExtensionClass, kIUnknown,
                                   reinterpret_cast<void**>(factory.GetAddressOf())),
              S_OK);
    EXPECT_EQ(dll.can_unload_now(), S_FALSE);
    factory.Reset();
    EXPECT_EQ(dll.can_unload_now(), S_OK);
}

TEST_F(KubextComTest, LibraryStaysWhileAnythingLivesAndUnloadsAfterwards) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(::CoGetClassObject(kShellExtensionClass, CLSCTX_INPROC_SERVER, nullptr,
                                 kIClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())),
              S_OK);
    ASSERT_NE(loaded_kubext(), nullptr);
    EXPECT_EQ(can_unload_now(), S_FALSE);
    ::CoFreeUnusedLibraries();
    ASSERT_NE(loaded_kubext(), nullptr) << "unloaded while a factory was alive";

    ComPtr<IContextMenu> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, kIContextMenu,
                                      reinterpret_cast<void**>(object.GetAddressOf())),
              S_OK);
    factory.Reset();
    EXPECT_EQ(can_unload_now(), S_FALSE);
    ::CoFreeUnusedLibraries();
    ASSERT_NE(loaded_kubext(), nullptr) << "unloaded while an object was alive";

    object.Reset();
    EXPECT_EQ(can_unload_now(), S_OK);
    ::CoFreeUnusedLibraries();
    EXPECT_EQ(loaded_kubext(), nullptr);
}

TEST_F(KubextComTest, InitializeKeepsACountedReferenceToTheDataObject) {
    HdropDataObject* first = HdropDataObject::create({L"C:\\in\\a.txt", L"C:\\in\\b.txt"});
    HdropDataObject* second = HdropDataObject::create({L"C:\\in\\c.txt"});
    {
        ComPtr<IShellExtInit> init = create<IShellExtInit>(kIShellExtInit);
        ASSERT_NE(init, nullptr);
        EXPECT_EQ(init->Initialize(nullptr, first, nullptr), S_OK);
        EXPECT_EQ(first->references(), 2);
        EXPECT_GE(first->get_data_calls(), 1);

        EXPECT_EQ(init->Initialize(nullptr, second, nullptr), S_OK);
        EXPECT_EQ(first->references(), 1) << "the replaced data object is still held";
        EXPECT_EQ(second->references(), 2);
    }
    EXPECT_EQ(second->references(), 1) << "the destroyed object still holds its data object";
    first->Release();
    second->Release();
}

TEST_F(KubextComTest, InitializeFailsWithoutAFileList) {
    ComPtr<IShellExtInit> init = create<IShellExtInit>(kIShellExtInit);
    ASSERT_NE(init, nullptr);
    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), E_FAIL);

    HdropDataObject* no_files = HdropDataObject::create({L"C:\\a.txt"}, false);
    EXPECT_EQ(init->Initialize(nullptr, no_files, nullptr), E_FAIL);
    no_files->Release();
}

}  // namespace
}  // namespace kub::wine_host

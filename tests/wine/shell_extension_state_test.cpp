// The extension object linked into the test, created through the same class factory as in the
// DLL, so that the state the shell cannot see (module count, DropFolder, the captured paths,
// the drop target) can be checked after real shell calls.
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "shellext/core/module_state.h"
#include "shellext/win32/com/class_factory.h"
#include "shellext/win32/com/class_ids.h"
#include "shellext/win32/menu/menu_insertion.h"
#include "shellext/win32/com/shell_extension.h"
#include "tests/wine/host/hdrop_data_object.h"
#include "tests/wine/host/shell_host.h"

namespace kub::wine_host {
namespace {

using Microsoft::WRL::ComPtr;

std::u16string u16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

// Every entry of a list, read from its start.
std::vector<std::u16string> entries(StringList& list) {
    std::vector<std::u16string> result;
    list.rewind();
    std::u16string_view entry;
    while (list.next(entry)) result.emplace_back(entry);
    return result;
}

std::vector<std::u16string> u16(const std::vector<std::wstring>& texts) {
    std::vector<std::u16string> result;
    for (const std::wstring& text : texts) result.push_back(u16(text));
    return result;
}

class ShellExtensionStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment_.ok());
        ASSERT_EQ(ModuleRefCount, 0);
        ASSERT_EQ(get_class_object(kShellExtensionClassId, IID_IClassFactory,
                                   reinterpret_cast<void**>(factory_.GetAddressOf())),
                  S_OK);
        ASSERT_EQ(factory_->CreateInstance(nullptr, IID_IShellExtInit,
                                           reinterpret_cast<void**>(init_.GetAddressOf())),
                  S_OK);
    }
    void TearDown() override {
        init_.Reset();
        factory_.Reset();
        AnalysisBusy = 0;
        EXPECT_EQ(ModuleRefCount, 0);
    }

    ShellExtension& object() { return *static_cast<ShellExtension*>(init_.Get()); }

    HRESULT initialize(PCIDLIST_ABSOLUTE folder, const std::vector<std::wstring>& paths) {
        HdropDataObject* data = HdropDataObject::create(paths);
        const HRESULT result = init_->Initialize(folder, data, nullptr);
        data->Release();
        return result;
    }

    Apartment apartment_;
    ComPtr<IClassFactory> factory_;
    ComPtr<IShellExtInit> init_;
};

TEST_F(ShellExtensionStateTest, ModuleCountFollowsFactoriesAndObjects) {
    EXPECT_EQ(ModuleRefCount, 2);  // the factory and the object of SetUp
    ComPtr<IContextMenu> second;
    ASSERT_EQ(factory_->CreateInstance(nullptr, IID_IContextMenu,
                                       reinterpret_cast<void**>(second.GetAddressOf())),
              S_OK);
    EXPECT_EQ(ModuleRefCount, 3);
    EXPECT_EQ(can_unload_now(), S_FALSE);

    // A refused request creates nothing that outlives it.
    void* pointer = nullptr;
    EXPECT_EQ(factory_->CreateInstance(nullptr, IID_IClassFactory, &pointer), E_NOINTERFACE);
    EXPECT_EQ(get_class_object(kShellExtensionClassId, IID_IContextMenu, &pointer),
              E_NOINTERFACE);
    EXPECT_EQ(ModuleRefCount, 3);

    second.Reset();
    factory_.Reset();
    EXPECT_EQ(ModuleRefCount, 1);
    init_.Reset();
    EXPECT_EQ(ModuleRefCount, 0);
    EXPECT_EQ(can_unload_now(), S_OK);
}

TEST_F(ShellExtensionStateTest, DropFolderComesFromTheFolderOfTheLatestInitialize) {
    ScratchFolder target(L"KubDropTarget");
    ItemList target_list = folder_item_list(target.path());
    ASSERT_NE(target_list, nullptr);
    ItemList computer = computer_item_list();
    ASSERT_NE(computer, nullptr);

    // An ordinary menu: no folder.
    EXPECT_EQ(initialize(nullptr, {L"C:\\in\\a.txt"}), S_OK);
    EXPECT_EQ(DropFolder.get(), u"");

    // A right-drag onto the target folder.
    EXPECT_EQ(initialize(target_list.get(), {L"C:\\in\\a.txt"}), S_OK);
    EXPECT_EQ(DropFolder.get(), u16(target.path()));

    // The state is process-wide: another object's ordinary menu clears it again.
    ComPtr<IShellExtInit> other;
    ASSERT_EQ(factory_->CreateInstance(nullptr, IID_IShellExtInit,
                                       reinterpret_cast<void**>(other.GetAddressOf())),
              S_OK);
    HdropDataObject* data = HdropDataObject::create({L"C:\\in\\b.txt"});
    EXPECT_EQ(other->Initialize(nullptr, data, nullptr), S_OK);
    EXPECT_EQ(DropFolder.get(), u"");

    // A folder without a file-system path leaves it empty; so does a failing Initialize.
    EXPECT_EQ(initialize(computer.get(), {L"C:\\in\\a.txt"}), S_OK);
    EXPECT_EQ(DropFolder.get(), u"");
    EXPECT_EQ(init_->Initialize(target_list.get(), nullptr, nullptr), E_FAIL);
    EXPECT_EQ(DropFolder.get(), u16(target.path()));
    data->Release();
}

std::vector<std::wstring> numbered_paths(int count) {
    // Deliberately not in sorted order: the capture must keep the shell's order.
    std::vector<std::wstring> paths;
    for (int i = 0; i < count; ++i) {
        wchar_t name[64];
        std::swprintf(name, 64, L"C:\\sel\\f%05d.txt", (i * 7919) % count);
        paths.push_back(name);
    }
    return paths;
}

TEST_F(ShellExtensionStateTest, LargeSelectionIsCapturedWholeInTheShellsOrder) {
    const std::vector<std::wstring> paths = numbered_paths(5000);
    ASSERT_EQ(initialize(nullptr, paths), S_OK);
    // Initialize looks no further than the second of several ordinary files.
    const std::vector<std::u16string> all = u16(paths);
    EXPECT_EQ(entries(object().selection().SelectedPaths),
              std::vector<std::u16string>(all.begin(), all.begin() + 2));
    EXPECT_FALSE(object().selection().SelectionComplete);

    HdropDataObject* data = HdropDataObject::create(paths);
    ASSERT_TRUE(object().full_capture(data));
    data->Release();
    EXPECT_EQ(object().selection().SelectedPaths.size(), 5000u);
    EXPECT_EQ(entries(object().selection().SelectedPaths), all);
    EXPECT_TRUE(object().selection().SelectionComplete);
}

TEST_F(ShellExtensionStateTest, CapturedPathsAreCutAt2047Units) {
    const std::wstring long_path = L"C:\\" + std::wstring(3000, L'x');
    ASSERT_EQ(initialize(nullptr, {long_path, L"C:\\short.txt"}), S_OK);
    const auto captured = entries(object().selection().SelectedPaths);
    ASSERT_EQ(captured.size(), 2u);
    EXPECT_EQ(captured[0], u16(long_path.substr(0, 2047)));
    EXPECT_EQ(captured[1], u"C:\\short.txt");
}

TEST_F(ShellExtensionStateTest, FullCaptureFailures) {
    ASSERT_EQ(initialize(nullptr, {L"C:\\kept.txt"}), S_OK);

    struct Case {
        const char* name;
        bool has_object;
        bool offers_file_list;
        std::vector<std::wstring> paths;
        std::vector<std::u16string> paths_after;
    };
    const Case cases[] = {
        // Nothing to read: the earlier capture is left as it was.
        {"no data object", false, true, {}, {u"C:\\kept.txt"}},
        {"no file list", true, false, {L"C:\\x.txt"}, {u"C:\\kept.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        object().selection().SelectedPaths.clear();
        object().selection().SelectedPaths.add(u"C:\\kept.txt");
        HdropDataObject* data =
            c.has_object ? HdropDataObject::create(c.paths, c.offers_file_list) : nullptr;
        EXPECT_FALSE(object().full_capture(data));
        EXPECT_EQ(entries(object().selection().SelectedPaths), c.paths_after);
        EXPECT_FALSE(object().selection().SelectionComplete);
        if (data != nullptr) data->Release();
    }
}

TEST_F(ShellExtensionStateTest, InitializeWhileAnalysisBusyChangesNothing) {
    ScratchFolder target(L"KubBusyTarget");
    ItemList target_list = folder_item_list(target.path());
    ASSERT_EQ(initialize(target_list.get(), {L"C:\\first.txt"}), S_OK);
    IDataObject* kept = object().selection_data_object();

    AnalysisBusy = 1;
    HdropDataObject* data = HdropDataObject::create({L"C:\\second.txt"});
    EXPECT_EQ(init_->Initialize(nullptr, data, nullptr), S_OK);
    EXPECT_EQ(data->get_data_calls(), 0);
    EXPECT_EQ(data->references(), 1);
    EXPECT_EQ(object().selection_data_object(), kept);
    EXPECT_EQ(DropFolder.get(), u16(target.path()));
    EXPECT_EQ(entries(object().selection().SelectedPaths),
              std::vector<std::u16string>{u"C:\\first.txt"});
    data->Release();
}

TEST_F(ShellExtensionStateTest, PersistFileLoadKeepsAtMost2047Units) {
    ComPtr<IPersistFile> file;
    ASSERT_EQ(init_.As(&file), S_OK);

    const std::wstring long_name = L"D:\\" + std::wstring(2997, L'n');
    ASSERT_EQ(long_name.size(), 3000u);
    EXPECT_EQ(file->Load(long_name.c_str(), STGM_READ), S_OK);
    EXPECT_EQ(object().drop_target_path(), u16(long_name.substr(0, 2047)));

    const std::wstring exact = L"D:\\" + std::wstring(2044, L'e');
    EXPECT_EQ(file->Load(exact.c_str(), STGM_READ), S_OK);
    EXPECT_EQ(object().drop_target_path(), u16(exact));

    EXPECT_EQ(file->Load(L"D:\\档案\\压缩.kub", STGM_READWRITE), S_OK);
    EXPECT_EQ(object().drop_target_path(), u"D:\\档案\\压缩.kub");
}

// A menu that refuses the "Korvex" popup gets nothing, and the popup is destroyed again rather
// than left to the process; a menu that takes it owns it with its commands.
TEST(MenuInsertion, RefusedPopupInsertsNothing) {
    MenuPlan plan;
    plan.cascaded = true;
    plan.popup_id = 10;
    plan.items.push_back({.kind = 0, .text = u"解压文件(&A)...", .id = 10});
    plan.items.push_back({.kind = 1, .text = u"解压到当前文件夹(&X)", .id = 11});

    HMENU gone = ::CreatePopupMenu();
    ASSERT_TRUE(::DestroyMenu(gone));
    EXPECT_FALSE(insert_menu_plan(gone, 0, plan));

    HMENU menu = ::CreatePopupMenu();
    EXPECT_TRUE(insert_menu_plan(menu, 0, plan));
    ASSERT_EQ(::GetMenuItemCount(menu), 1);
    HMENU popup = ::GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(::GetMenuItemCount(popup), 2);
    ::DestroyMenu(menu);
    EXPECT_FALSE(::IsMenu(popup)) << "the popup outlived the menu that held it";
}

}  // namespace
}  // namespace kub::wine_host

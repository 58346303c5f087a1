// What one right-click costs inside the shell under Wine, and where the time goes. A round is
// what Explorer does for the context menu of one file: create the extension, Initialize it with
// the file, QueryContextMenu, release it. The round is timed through COM against the built
// Kubext.dll, then its parts are timed one by one through the same code linked in: the file's
// head read, each reader's search of the head, the quick analysis, the name test, the folder
// test, the settings reads, the menu images, the plan and the menu insertion.
//
// Usage (in the tree's Wine session): kubext_round_bench.exe [--rounds N] [--dll WINDOWS_PATH]
// Times are per call, median and mean over the rounds, in microseconds.
#include <windows.h>

#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/files/disk_file.h"
#include "common/files/file_helpers.h"
#include "common/files/path_ops.h"
#include "common/os/os.h"
#include "common/registry/registry_access.h"
#include "common/registry/settings_cache.h"
#include "formats/archive_analysis.h"
#include "formats/format_registry.h"
#include "shellext/core/commands/menu_plan.h"
#include "shellext/core/selection/folder_test.h"
#include "shellext/core/selection/selection_analysis.h"
#include "shellext/settings/profile_value.h"
#include "shellext/settings/shell_settings.h"
#include "shellext/win32/menu/menu_images.h"
#include "shellext/win32/menu/menu_insertion.h"
#include "tests/support/writers/zip_builder.h"
#include "tests/wine/host/hdrop_data_object.h"
#include "tests/wine/host/shell_host.h"

namespace {

using kub::wine_host::HdropDataObject;
using Microsoft::WRL::ComPtr;

int g_rounds = 300;

double now_us() {
    static const double ticks_per_us = [] {
        LARGE_INTEGER frequency;
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1e6;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / ticks_per_us;
}

struct Stats {
    double median = 0;
    double mean = 0;
};

Stats stats_of(std::vector<double> samples) {
    Stats s;
    if (samples.empty()) return s;
    std::sort(samples.begin(), samples.end());
    s.median = samples[samples.size() / 2];
    for (double v : samples) s.mean += v;
    s.mean /= static_cast<double>(samples.size());
    return s;
}

void report(const std::string& name, const Stats& s) {
    std::printf("  %-44s %10.1f %10.1f\n", name.c_str(), s.median, s.mean);
    std::fflush(stdout);
}

// Times `call` g_rounds times after a few warm-up calls.
Stats time_calls(const std::function<void()>& call) {
    for (int i = 0; i < 5; ++i) call();
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(g_rounds));
    for (int i = 0; i < g_rounds; ++i) {
        const double start = now_us();
        call();
        samples.push_back(now_us() - start);
    }
    return stats_of(samples);
}

void measure(const std::string& name, const std::function<void()>& call) {
    report(name, time_calls(call));
}

void write_file(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
}

std::u16string u16(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

// Opens the file, reads its first kHeadBytes into `head` and closes it; the bytes read.
std::size_t read_head(const std::u16string& path, std::uint8_t* head) {
    kub::DiskFile file;
    file.report_errors = false;
    if (!file.Open(path)) return 0;
    std::size_t got = 0;
    while (got < kub::kHeadBytes) {
        const std::int64_t n = file.Read(head + got, kub::kHeadBytes - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

// One round through COM, split at the calls; false when a call failed.
struct RoundTimes {
    std::vector<double> create, initialize, query, release, whole;
};

bool com_round(const std::wstring& path, RoundTimes& times) {
    const double t0 = now_us();
    ComPtr<IShellExtInit> init;
    if (::CoCreateInstance(kub::wine_host::kShellExtensionClass, nullptr, CLSCTX_INPROC_SERVER,
                           IID_IShellExtInit,
                           reinterpret_cast<void**>(init.GetAddressOf())) != S_OK)
        return false;
    const double t1 = now_us();
    HdropDataObject* data = HdropDataObject::create({path});
    const HRESULT initialised = init->Initialize(nullptr, data, nullptr);
    data->Release();
    const double t2 = now_us();
    ComPtr<IContextMenu> menu_handler;
    if (initialised != S_OK || init.As(&menu_handler) != S_OK) return false;
    HMENU menu = ::CreatePopupMenu();
    const HRESULT built = menu_handler->QueryContextMenu(menu, 0, 1, 0x7FFF, CMF_NORMAL);
    ::DestroyMenu(menu);
    const double t3 = now_us();
    menu_handler.Reset();
    init.Reset();
    const double t4 = now_us();
    if (FAILED(built) || HRESULT_CODE(built) == 0) return false;
    times.create.push_back(t1 - t0);
    times.initialize.push_back(t2 - t1);
    times.query.push_back(t3 - t2);
    times.release.push_back(t4 - t3);
    times.whole.push_back(t4 - t0);
    return true;
}

void bench_com_rounds(const std::wstring& label, const std::wstring& path) {
    RoundTimes times;
    for (int i = 0; i < 5; ++i) com_round(path, times);
    times = RoundTimes{};
    for (int i = 0; i < g_rounds; ++i) {
        if (!com_round(path, times)) {
            std::printf("  round failed for %ls\n", label.c_str());
            return;
        }
    }
    std::printf("round through Kubext.dll, %ls\n", label.c_str());
    report("whole round", stats_of(times.whole));
    report("  CoCreateInstance", stats_of(times.create));
    report("  Initialize (selection analysis)", stats_of(times.initialize));
    report("  QueryContextMenu (+ CreatePopupMenu/Destroy)", stats_of(times.query));
    report("  Release", stats_of(times.release));
}

// Four windows at once, as Explorer has them: each apartment runs the rounds on the same file.
void bench_apartments(const std::wstring& label, const std::wstring& path) {
    constexpr int kThreads = 4;
    std::vector<RoundTimes> times(kThreads);
    std::vector<int> failed(kThreads, 0);
    const double start = now_us();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            kub::wine_host::Apartment apartment;
            for (int i = 0; i < g_rounds; ++i) {
                if (!com_round(path, times[static_cast<std::size_t>(t)]))
                    ++failed[static_cast<std::size_t>(t)];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    const double wall = now_us() - start;
    std::vector<double> all;
    int failures = 0;
    for (int t = 0; t < kThreads; ++t) {
        all.insert(all.end(), times[static_cast<std::size_t>(t)].whole.begin(),
                   times[static_cast<std::size_t>(t)].whole.end());
        failures += failed[static_cast<std::size_t>(t)];
    }
    std::printf("round through Kubext.dll, %ls, %d apartments at once (%d rounds failed)\n",
                label.c_str(), kThreads, failures);
    report("round in one apartment", stats_of(all));
    std::printf("  %-44s %10.1f\n", "wall time / all rounds", wall / (kThreads * g_rounds));
}

// The parts of a round, through the code linked in.
void bench_parts(const std::wstring& label, const std::wstring& wide_path) {
    const std::u16string path = u16(wide_path);
    std::printf("parts, %ls\n", label.c_str());

    std::vector<std::uint8_t> kept(kub::kHeadBytes);
    measure("file open + 1 MiB head read + close", [&] { read_head(path, kept.data()); });
    measure("file open + head read into a fresh 1 MiB block", [&] {
        std::unique_ptr<std::uint8_t[]> fresh(new std::uint8_t[kub::kHeadBytes]);
        read_head(path, fresh.get());
    });
    {
        kub::ArchiveAnalysis reused;
        measure("format detection (one ArchiveAnalysis reused)", [&] {
            std::u16string name = path;
            reused.DetectFormat(name, 0);
        });
    }
    measure("quick analysis (ArchiveAnalysis made + Analyze)", [&] {
        kub::ArchiveAnalysis analysis;
        analysis.Analyze(path, true, 0);
    });
    {
        kub::ArchiveAnalysis reused;
        measure("quick analysis (one ArchiveAnalysis reused)",
                [&] { reused.Analyze(path, true, 0); });
    }
    measure("name test (ArchiveAnalysis made + IsArchiveName)", [&] {
        kub::ArchiveAnalysis analysis;
        analysis.IsArchiveName(path, nullptr, nullptr, true, false, true);
    });
    measure("folder test", [&] { kub::is_folder_path(path); });
    measure("file attributes", [&] { kub::file_attributes(path); });
    measure("drive type of the root", [&] { kub::os::drive_type(kub::root_of_path(path)); });

    kub::SelectionState selection;
    kub::ArchiveAnalysis analysis;
    kub::analyse_paths(
        selection, 1, [&](std::size_t) { return path; }, u"",
        kub::system_selection_probe(analysis));
    measure("selection analysis (analyse_paths)", [&] {
        kub::SelectionState fresh;
        kub::ArchiveAnalysis own;
        kub::analyse_paths(
            fresh, 1, [&](std::size_t) { return path; }, u"", kub::system_selection_probe(own));
    });
    measure("menu images (refreshes + state)", [&] {
        kub::refresh_menu_bitmap();
        kub::refresh_menu_icon_bitmap();
        kub::menu_image_state();
    });
    const kub::MenuImageState images = kub::menu_image_state();
    measure("menu plan, every setting read from the registry",
            [&] { kub::plan_menu(selection, 0, 1, u"", images); });
    kub::set_settings_cache_enabled(true);
    measure("menu plan, settings cached as the library keeps them", [&] {
        kub::SettingsReadScope settings;
        kub::plan_menu(selection, 0, 1, u"", images);
    });
    kub::set_settings_cache_enabled(false);
    const kub::MenuPlan plan = kub::plan_menu(selection, 0, 1, u"", images);
    std::printf("  (%zu commands)\n", plan.items.size());
    measure("menu insertion (CreatePopupMenu, insert, Destroy)", [&] {
        HMENU menu = ::CreatePopupMenu();
        kub::insert_menu_plan(menu, 0, plan);
        ::DestroyMenu(menu);
    });
}

// Each reader's Open on the head of the file: the search that refuses (or finds) it.
void bench_reader_searches(const std::wstring& label, const std::wstring& wide_path) {
    std::printf("reader searches on the head of %ls\n", label.c_str());
    std::u16string path = u16(wide_path);
    std::vector<std::uint8_t> head(kub::kHeadBytes);
    head.resize(read_head(path, head.data()));
    static const char* const names[] = {"KUB", "ZIP", "7z",  "GZIP", "BZIP2", "XZ",  "TAR", "UDF",
                                        "ISO", "LZH", "ARJ", "CAB",  "ACE",   "UUE", "Z"};
    double total = 0;
    for (int index = 0; index < kub::kFormatReaderCount; ++index) {
        std::unique_ptr<kub::ArchiveReader> reader =
            kub::create_format_reader(index, &kub::process_reader_options());
        if (!reader) continue;
        const Stats s = time_calls([&] {
            std::u16string name = path;
            std::int32_t offset = 0;
            if (reader->Open(name, head, offset, 0)) {
                kub::ArchiveSummary scratch;
                reader->Close(scratch);
            }
        });
        total += s.median;
        report(std::string("  ") + names[index], s);
    }
    std::printf("  %-44s %10.1f\n", "sum of medians", total);
}

// The registry under Wine: every call is a round trip to the wineserver.
void bench_registry() {
    std::printf("registry calls (HKCU Software\\Korvex\\Setup\\MenuItems)\n");
    const wchar_t* key_name = L"Software\\Korvex\\Setup\\MenuItems";
    HKEY created = nullptr;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, key_name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                      nullptr);
    if (created) ::RegCloseKey(created);
    measure("RegOpenKeyExW + RegCloseKey", [&] {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, key_name, 0, KEY_QUERY_VALUE, &key) == 0)
            ::RegCloseKey(key);
    });
    HKEY key = nullptr;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, key_name, 0, KEY_QUERY_VALUE, &key);
    measure("RegQueryValueExW (missing value)", [&] {
        DWORD value = 0;
        DWORD size = sizeof value;
        ::RegQueryValueExW(key, L"AddTo", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    });
    measure("RegQueryInfoKeyW (last write time)", [&] {
        FILETIME written{};
        ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, &written);
    });
    ::RegCloseKey(key);
    measure("one setting read (read_setting \"MenuIcons\")",
            [] { kub::read_setting(kub::ShellSettings::kMenuIcons); });
    measure("default profile value (\"UseKUB\")",
            [] { kub::ReadProfileValue(kub::kDefaultProfileSelector, u"UseKUB", nullptr, 0, 1); });
    kub::set_settings_cache_enabled(true);
    measure("one setting read, cached, change check",
            [] { kub::read_setting(kub::ShellSettings::kMenuIcons); });
    {
        kub::SettingsReadScope scope;
        measure("one setting read, cached, in a checked scope",
                [] { kub::read_setting(kub::ShellSettings::kMenuIcons); });
    }
    kub::set_settings_cache_enabled(false);
}

// The settings of an installed archiver, as setup writes them: every menu switch, the menu
// style, a default profile and one profile offered in the menu.
void write_installed_settings() {
    for (const auto& [name, value] :
         std::vector<std::pair<const char16_t*, std::uint32_t>>{{u"ExtrTo", 1},
                                                                {u"ExtrHere", 1},
                                                                {u"Extr", 1},
                                                                {u"ExtrSep", 1},
                                                                {u"OpenSFX", 1},
                                                                {u"AddTo", 1},
                                                                {u"AddArc", 1},
                                                                {u"EmailArc", 1},
                                                                {u"EmailOpt", 1},
                                                                {u"Test", 0},
                                                                {u"Convert", 0},
                                                                {u"Profile", 1},
                                                                {u"SFXLocal", 1},
                                                                {u"SFXNetwork", 1},
                                                                {u"SFXOther", 1}}) {
        kub::write_setting_number(u"Setup\\MenuItems", name, value);
    }
    kub::write_setting_number(u"Setup", u"CascadedMenu", 0);
    kub::write_setting_number(u"Setup", u"MenuIcons", 1);
    kub::write_setting_string(u"Profiles\\0", u"Name", u"Default profile");
    kub::write_setting_number(u"Profiles\\0", u"Default", 1);
    kub::write_setting_string(u"Profiles\\1", u"Name", u"Backup");
    kub::write_setting_number(u"Profiles\\1", u"AddToMenu", 1);
}

void remove_installed_settings() {
    kub::delete_registry_tree(kub::os::RegistryRoot::kCurrentUser, u"Setup\\MenuItems");
    kub::delete_registry_tree(kub::os::RegistryRoot::kCurrentUser, u"Profiles");
    kub::delete_registry_value(kub::os::RegistryRoot::kCurrentUser, u"Setup", u"CascadedMenu");
    kub::delete_registry_value(kub::os::RegistryRoot::kCurrentUser, u"Setup", u"MenuIcons");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // --dll: the rounds through another build of the library (an older one, to compare).
    std::wstring dll = kub::wine_host::kubext_dll_path();
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::wcscmp(argv[i], L"--rounds") == 0) g_rounds = std::max(1, _wtoi(argv[i + 1]));
        if (std::wcscmp(argv[i], L"--dll") == 0) dll = argv[i + 1];
    }
    kub::wine_host::Apartment apartment;
    if (!apartment.ok()) return 2;
    std::printf("Kubext.dll: %ls\n", dll.c_str());
    if (kub::wine_host::register_in_process_server(kub::wine_host::kShellExtensionClassText, dll) !=
        0) {
        std::printf("cannot register Kubext.dll\n");
        return 2;
    }
    write_installed_settings();
    {
        kub::wine_host::ScratchFolder scratch(L"kubext_round_bench");
        const std::wstring folder = scratch.path();
        std::string random_bytes(kub::kHeadBytes, '\0');
        std::mt19937_64 random(1);
        for (char& b : random_bytes) b = static_cast<char>(random());
        write_file(folder + L"\\x.exe", random_bytes);
        write_file(folder + L"\\notes.txt", "plain text");
        kub::test::ZipLayout zip;
        zip.entries.resize(1);
        zip.entries[0].name = "a.txt";
        zip.entries[0].data = "first";
        write_file(folder + L"\\photos.zip", kub::test::build_zip(zip));

        std::printf("%d rounds per figure; median and mean in microseconds\n", g_rounds);
        std::printf("  %-44s %10s %10s\n", "", "median", "mean");
        const std::vector<std::pair<std::wstring, std::wstring>> files = {
            {L"x.exe (1 MiB random)", folder + L"\\x.exe"},
            {L"notes.txt", folder + L"\\notes.txt"},
            {L"photos.zip", folder + L"\\photos.zip"},
        };
        for (const auto& [label, path] : files) bench_com_rounds(label, path);
        for (const auto& [label, path] : files) bench_apartments(label, path);
        for (const auto& [label, path] : files) bench_parts(label, path);
        for (const auto& [label, path] : files) bench_reader_searches(label, path);
        bench_registry();
        ::CoFreeUnusedLibraries();
    }
    remove_installed_settings();
    kub::wine_host::unregister_in_process_server(kub::wine_host::kShellExtensionClassText);
    return 0;
}

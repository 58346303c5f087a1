// kubinfo FILE...: what the archive information page shows for each file.
//   --items         one line per item, as it is read, before the page
//   --quick         quick analysis (format only, no items, no volumes)
//   --json          one JSON object per file instead of the page
//   --registry FILE load settings from a registry text file first (native build)
//   --language DIR  the texts as the extension shows them with the language folder DIR, for
//                   this run only (native build; the Windows build reads "LanguageFolder" from
//                   the registry, as the extension does)
//   --menu          the files are one selection: the context menu it gets and each command's
//                   archiver start (parameters, working folder)
//   --drop-folder D with --menu: the menu of a right-drag onto folder D
// A long analysis shows its progress on standard error when that is a terminal.
// Exit status: 0 when every file is an archive, 1 when some file is not one, 2 when some file
// could not be read or analysed.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/os/os.h"
#include "common/registry/registry_access.h"
#include "common/text/encoding.h"
#include "formats/archive_analysis.h"
#include "shellext/settings/extension_language.h"
#include "tools/kubinfo/menu_report.h"
#include "tools/kubinfo/progress_line.h"
#include "tools/kubinfo/report_writer.h"

namespace {

int usage() {
    std::fputs("usage: kubinfo [--items] [--quick] [--json] [--registry FILE] [--language DIR] "
               "[--menu [--drop-folder DIR]] FILE...\n", stderr);
    return 2;
}

// Arguments arrive as UTF-8 on POSIX systems and in the ANSI code page on Windows.
std::u16string argument_path(const char* arg) {
    std::u16string path;
#if defined(_WIN32)
    kub::ansi_to_wide(arg, path);
#else
    kub::utf8_to_wide(arg, path);
#endif
    return path;
}

int exit_status(int result) {
    switch (result) {
        case kub::kAnalyzeArchive: return 0;
        case kub::kAnalyzeNotArchive: return 1;
        default: return 2;
    }
}

}  // namespace

int main(int argc, char** argv) {
    bool items = false, quick = false, json = false, menu = false;
    std::u16string drop_folder, language_folder;
    std::vector<std::u16string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--items") == 0) {
            items = true;
        } else if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (std::strcmp(argv[i], "--menu") == 0) {
            menu = true;
        } else if (std::strcmp(argv[i], "--drop-folder") == 0) {
            if (++i >= argc) return usage();
            drop_folder = argument_path(argv[i]);
        } else if (std::strcmp(argv[i], "--registry") == 0) {
            if (++i >= argc) return usage();
#if defined(_WIN32)
            std::fputs("kubinfo: --registry is for the native build; Windows reads its own registry\n", stderr);
            return 2;
#else
            std::string error;
            if (!kub::os::load_registry_file(argv[i], error)) {
                std::fprintf(stderr, "kubinfo: %s: %s\n", argv[i], error.c_str());
                return 2;
            }
#endif
        } else if (std::strcmp(argv[i], "--language") == 0) {
            if (++i >= argc) return usage();
#if defined(_WIN32)
            std::fputs("kubinfo: --language is for the native build; set LanguageFolder in the registry\n", stderr);
            return 2;
#else
            language_folder = argument_path(argv[i]);
#endif
        } else if (std::strncmp(argv[i], "--", 2) == 0) {
            return usage();
        } else {
            files.push_back(argument_path(argv[i]));
        }
    }
    if (files.empty()) return usage();
    // The registry of the native build lives in memory: the folder holds for this run only.
    if (!language_folder.empty())
        kub::write_setting_string(u"General", u"LanguageFolder", language_folder);
    kub::load_extension_language(kub::os::own_module());
    if (menu) {
        const std::string out = kub::tool::menu_report(files, drop_folder);
        std::fwrite(out.data(), 1, out.size(), stdout);
        return 0;
    }

    // Items are written as the analysis reads them and none is kept: memory stays flat however
    // many items an archive holds.
    auto write = [](const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); };
    int status = 0;
    for (const std::u16string& file : files) {
        kub::tool::FileReport report;
        report.path = file;
        write(json ? kub::tool::json_head(report) : kub::tool::page_head(report));
        kub::ArchiveAnalysis analysis;
        // Items written as they come would run into the progress line on the same terminal.
        kub::tool::ProgressLine progress(file, json || items);
        bool first_item = true;
        analysis.set_item_observer([&](const kub::ItemHeader& item) {
            progress.CountItem();
            if (json) {
                write(kub::tool::json_item(item, first_item));
                first_item = false;
            } else if (items) {
                write(kub::tool::page_item(item));
            }
        });
        report.result = analysis.Analyze(file, quick, 0);
        progress.Finish();
        if (report.result == kub::kAnalyzeArchive) report.summary = analysis.summary();
        write(json ? kub::tool::json_tail(report) : kub::tool::page_tail(report));
        status = std::max(status, exit_status(report.result));
    }
    return status;
}

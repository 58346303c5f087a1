#include "tests/support/tool_fixture_folder.h"

#include <cstdlib>
#include <filesystem>

namespace kub::test {

namespace fs = std::filesystem;

std::u16string tool_fixture_folder(const std::string& test_data_dir, const ToolFixtureSpec& spec,
                                   std::string& error) {
    fs::path folder;
    if (const char* set = std::getenv(spec.env_override)) {
        folder = fs::path(set);
    } else {
        // Resolved by text: the data folder itself need not exist.
        folder = (fs::path(test_data_dir) / ".." / ".." / "build" / "fixtures" / spec.folder_name).lexically_normal();
    }
    std::error_code ec;
    if (!fs::exists(folder / spec.marker, ec)) {
#if defined(_WIN32)
        error = "no fixtures in " + folder.string() + ": run the native tests first (they make them)";
        return {};
#else
        fs::path script = (fs::path(test_data_dir) / ".." / "support" / spec.script).lexically_normal();
        std::string command = "\"" + script.string() + "\" \"" + folder.string() + "\" >/dev/null";
        if (std::system(command.c_str()) != 0) {
            error = std::string("tests/support/") + spec.script + " failed (are the tools installed?)";
            return {};
        }
#endif
    }
    std::u16string path = folder.lexically_normal().u16string();
    if (!path.empty() && path.back() != u'/' && path.back() != u'\\') path += u'/';
    return path;
}

}  // namespace kub::test

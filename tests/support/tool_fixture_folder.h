#pragma once
// A folder of fixtures made by a script of tests/support from independent tools. Natively the
// folder is made on first use; under Wine the native test run must have made it (the Windows
// build cannot run the tools).
#include <string>

namespace kub::test {

struct ToolFixtureSpec {
    const char* folder_name;  // under build/fixtures/ of the source tree
    const char* env_override; // an environment variable naming another folder
    const char* script;       // in tests/support/
    const char* marker;       // a file the script makes last-but-one: present when complete
};

// The folder (with a trailing separator), made if needed; empty with `error` set when it cannot
// be had. `test_data_dir` is the tests' KUB_TEST_DATA_DIR.
std::u16string tool_fixture_folder(const std::string& test_data_dir, const ToolFixtureSpec& spec,
                                   std::string& error);

}  // namespace kub::test

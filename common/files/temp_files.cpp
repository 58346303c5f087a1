#include "common/files/temp_files.h"

#include <string>

#include "common/time/common_time.h"
#include "common/files/file_helpers.h"
#include "common/text/number_text.h"
#include "common/os/os.h"
#include "common/files/path_ops.h"
#include "common/registry/registry_access.h"

namespace kub {
namespace {

constexpr std::uint32_t kMaxSuffixAttempts = 1000;
// Up to this counter the suffix keeps three digits of the time; beyond, all of them, to get
// away from names another process is working through.
constexpr std::uint32_t kShortSuffixAttempts = 100;
constexpr std::u16string_view kFallbackTempFolder = u"\\kubtemp";

bool is_folder(std::u16string_view path) {
    const std::uint32_t attributes = file_attributes(path);
    return attributes != os::kInvalidAttributes && (attributes & os::kAttrDirectory) != 0;
}

std::u16string three_digits(std::uint32_t value) {
    std::u16string text = decimal_text(value);
    if (text.size() < 3) text.insert(0, 3 - text.size(), u'0');
    return text;
}

std::uint32_t suffix_seed() {
    const CommonTime now = time_now();
    const auto low = static_cast<std::uint32_t>(now);
    return low ^ (low >> 10) ^ time_to_packed(now);
}

// Names the temporary folder's entry for `prefix`; empty when no unique name fits.
std::u16string temp_name(std::u16string_view prefix) {
    std::u16string path;
    TempFolderPath(path, kPathBufferSize, false);
    path += prefix;
    if (path.size() >= kPathBufferSize || !AppendUniqueSuffix(path, kPathBufferSize)) return {};
    return path;
}

}  // namespace

void TempFolderPath(std::u16string& out, std::size_t size, bool accept_missing) {
    std::u16string configured;
    read_setting_string(u"Paths", u"TempFolder", configured, u"", kPathBufferSize);
    configured = os::expand_environment_strings(configured);
    cut_to_size(configured, size);
    if ((configured.empty() && accept_missing) || (!configured.empty() && is_folder(configured))) {
        out = std::move(configured);
    } else {
        out = os::temp_path();
        if (out.empty()) out = kFallbackTempFolder;
        cut_to_size(out, size);
    }
    append_separator(out, size);
}

bool append_unique_suffix(std::u16string& path, std::size_t size, std::uint32_t seed,
                          const std::function<bool(std::u16string_view)>& exists) {
    for (std::uint32_t i = 0; i < kMaxSuffixAttempts; ++i) {
        std::u16string candidate = path;
        candidate += decimal_text(i);
        candidate += u'.';
        candidate += three_digits(i <= kShortSuffixAttempts ? seed % 1000 : seed);
        if (candidate.size() >= size) return false;
        if (!exists(candidate)) {
            path = std::move(candidate);
            return true;
        }
    }
    return false;
}

bool AppendUniqueSuffix(std::u16string& path, std::size_t size) {
    return append_unique_suffix(path, size, suffix_seed(), file_exists);
}

std::FILE* create_temp_file(std::u16string_view prefix, std::u16string& path) {
    path = temp_name(prefix);
    if (path.empty()) return nullptr;
    return open_file_stream(path, "wb");
}

bool create_temp_folder(std::u16string_view prefix, std::u16string& path) {
    path = temp_name(prefix);
    return !path.empty() && create_folder(path) == CreateFolderResult::ok;
}

}  // namespace kub

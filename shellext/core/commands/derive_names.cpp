#include "shellext/core/commands/derive_names.h"

#include "common/text/bounded_string.h"
#include "common/files/path_ops.h"
#include "common/text/text_compare.h"
#include "shellext/core/selection/folder_test.h"
#include "shellext/settings/profile_value.h"

namespace kub {
namespace {

bool equals_text(std::u16string_view a, std::u16string_view b) { return compare_text(a, b) == 0; }

bool is_decimal_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

// Windows drops dots and spaces at the end of a folder name without a word: a name ending in
// them would be created under another name than the menu shows. The first character stays.
void trim_silently_dropped_tail(std::u16string& name) {
    while (name.size() > 1 && (name.back() == u'.' || name.back() == u' ')) name.pop_back();
}

// A name that is empty or only dots and spaces ("." and ".." lead out of the target folder).
bool unusable_folder_name(std::u16string_view name) {
    return name.find_first_not_of(u". ") == std::u16string_view::npos;
}

std::u16string DeriveFolderName(std::u16string_view path) {
    std::u16string name(name_part(path));
    const std::size_t dot = name.rfind(u'.');
    if (dot != std::u16string::npos) {
        const std::u16string cut_extension = name.substr(dot + 1);
        name.resize(dot);
        trim_silently_dropped_tail(name);
        const std::size_t inner = name.rfind(u'.');
        if (inner != std::u16string::npos && inner > 0) {
            const std::u16string_view from_inner = std::u16string_view(name).substr(inner);
            const bool volume_extension =
                equals_text(cut_extension, u"kub") || equals_text(cut_extension, u"exe");
            constexpr std::u16string_view kPart = u".part";
            const bool volume_part = volume_extension && from_inner.size() >= kPart.size() &&
                                     equals_text(from_inner.substr(0, kPart.size()), kPart) &&
                                     is_decimal_digit(name.back());
            if (volume_part || equals_text(from_inner.substr(1), u"tar")) {
                name.resize(inner);
                trim_silently_dropped_tail(name);
            }
        }
    }
    if (unusable_folder_name(name)) return std::u16string(kFallbackFolderName);
    return name;
}

std::u16string DeriveArchiveName(std::u16string_view first, std::size_t count,
                                 std::u16string_view base_folder, std::int32_t selector,
                                 std::size_t capacity) {
    std::u16string name(base_folder);
    append_separator(name);
    append_bounded(name, name_part(first), kPathBufferSize);

    bool folder_name = false;
    if (count > 1) {
        // Several paths: the archive is named after the folder that holds them.
        std::u16string_view holder = first;
        std::size_t last = holder.find_last_of(u"\\/");
        if (last != std::u16string_view::npos) holder = holder.substr(0, last);
        last = holder.find_last_of(u"\\/");
        if (last != std::u16string_view::npos) {
            name.assign(holder.substr(last + 1));
            folder_name = true;
        }
    }
    if (name.empty()) name = u"Archive";

    const bool keep_dots = folder_name || (count == 1 && is_folder_path(first));
    if (!keep_dots) replace_extension(name, u"");
    const bool use_kub =
        ReadProfileValue(selector, ProfileSettings::kUseKub.name, nullptr, 0,
                         ProfileSettings::kUseKub.default_value) != 0;
    append_bounded(name, use_kub ? u".kub" : u".zip", kPathBufferSize);

    std::u16string out;
    copy_bounded(out, name, capacity);
    quote_if_needed(out, capacity);
    return out;
}

}  // namespace kub

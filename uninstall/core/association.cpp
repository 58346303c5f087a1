#include "uninstall/core/association.h"

#include <cstdio>
#include <string>

#include "common/registry/registry_access.h"
#include "uninstall/core/new_file_templates.h"
#include "uninstall/core/registry_names.h"

namespace kub::setup {

namespace {

constexpr std::size_t kTypeNameSize = 80;
constexpr std::size_t kSavedTextSize = 512;
constexpr std::size_t kShellNewFileSize = 2048;
constexpr std::size_t kNullFileSize = 10;
// The old-style volume extensions ".k00" onwards: associated up to this many, removed or
// restored up to kOldVolumeRestoreCount.
constexpr unsigned kOldVolumeAssociateCount = 30;
constexpr unsigned kOldVolumeRestoreCount = 100;

constexpr std::u16string_view kContentType = u"Content Type";
constexpr std::u16string_view kFileName = u"FileName";
constexpr std::u16string_view kNullFile = u"NullFile";
constexpr std::u16string_view kNullFileMark = u"*";

constexpr auto kClasses = RegistryRoot::kClassesRoot;

bool is_our_prog_id(std::u16string_view type) {
    return os::compare_ignoring_case(type, kProgId) == 0 ||
           os::compare_ignoring_case(type, kZipProgId) == 0;
}

std::u16string shell_new_key(std::u16string_view extension) {
    return std::u16string(extension) + u"\\ShellNew";
}

std::u16string saved_key(std::u16string_view extension) {
    return std::u16string(kSetupKey) + u"\\" + std::u16string(extension);
}

std::u16string old_volume_extension(unsigned number) {
    char text[8];
    std::snprintf(text, sizeof text, ".k%02u", number);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

std::u16string read_class_text(std::u16string_view key, std::u16string_view value,
                               std::size_t size) {
    std::u16string text;
    read_registry_string(kClasses, key, value, text, u"", size);
    return text;
}

void save_previous_state(std::u16string_view extension) {
    const std::u16string shell_new = shell_new_key(extension);
    const std::u16string type = read_class_text(extension, u"", kSavedTextSize);
    const std::u16string content = read_class_text(extension, kContentType, kSavedTextSize);
    const std::u16string file_name = read_class_text(shell_new, kFileName, kShellNewFileSize);
    std::u16string null_file;
    const bool has_null_file =
        read_registry_string(kClasses, shell_new, kNullFile, null_file, u"", kNullFileSize);

    const std::u16string saved = saved_key(extension);
    write_setting_number(saved, u"Exist", registry_key_exists(kClasses, extension) ? 1 : 0);
    write_setting_string(saved, u"Type", type);
    write_setting_string(saved, u"Content", content);
    write_setting_string(saved, u"ShellNew",
                         !file_name.empty() || !has_null_file ? std::u16string_view(file_name)
                                                              : kNullFileMark);
}

}  // namespace

bool is_ours(std::u16string_view extension) {
    return is_our_prog_id(read_class_text(extension, u"", kTypeNameSize));
}

void associate_extension(std::u16string_view extension, FormatKind kind, bool shell_integration,
                         const SetupEnvironment& environment) {
    if (!is_ours(extension)) save_previous_state(extension);

    write_registry_string(kClasses, extension, u"", kind == FormatKind::kZip ? kZipProgId : kProgId);
    delete_registry_value(kClasses, extension, kContentType);

    if (kind == FormatKind::kKub) {
        for (unsigned number = 0; number < kOldVolumeAssociateCount; ++number) {
            const std::u16string volume = old_volume_extension(number);
            write_registry_string(kClasses, volume, u"", kProgId);
            delete_registry_value(kClasses, volume, kContentType);
        }
    }

    if (shell_integration && kind != FormatKind::kOther) {
        const std::u16string shell_new = shell_new_key(extension);
        delete_registry_key(kClasses, shell_new);
        const std::u16string path = ensure_template(
            environment.program_folder,
            kind == FormatKind::kKub ? TemplateKind::kKub : TemplateKind::kZip);
        write_registry_string(kClasses, shell_new, kFileName, path);
    }
}

void restore_extension(std::u16string_view extension, FormatKind kind) {
    if (!is_ours(extension)) return;

    const std::u16string saved = saved_key(extension);
    const bool existed = read_setting_number(saved, u"Exist", 1) != 0;
    std::u16string type;
    read_setting_string(saved, u"Type", type, u"", kSavedTextSize);
    // A saved state that names our own type would keep the extension ours after uninstall.
    if (is_our_prog_id(type)) type.clear();
    std::u16string content;
    read_setting_string(saved, u"Content", content, u"", kSavedTextSize);

    const std::u16string shell_new = shell_new_key(extension);
    if (existed) {
        write_registry_string(kClasses, extension, u"", type);
        if (!content.empty())
            write_registry_string(kClasses, extension, kContentType, content);
        else
            delete_registry_value(kClasses, extension, kContentType);
        std::u16string saved_shell_new;
        read_setting_string(saved, u"ShellNew", saved_shell_new, u"", kShellNewFileSize);
        delete_registry_value(kClasses, shell_new, kFileName);
        if (saved_shell_new == kNullFileMark)
            write_registry_string(kClasses, shell_new, kNullFile, u"");
        else if (!saved_shell_new.empty())
            write_registry_string(kClasses, shell_new, kFileName, saved_shell_new);
    } else {
        delete_registry_key(kClasses, shell_new);
        write_registry_string(kClasses, extension, u"", u"");
        delete_registry_key(kClasses, extension);
    }

    if (kind == FormatKind::kKub) {
        for (unsigned number = 0; number < kOldVolumeRestoreCount; ++number) {
            const std::u16string volume = old_volume_extension(number);
            if (existed && !type.empty()) {
                write_registry_string(kClasses, volume, u"", type);
                if (!content.empty())
                    write_registry_string(kClasses, volume, kContentType, content);
            } else {
                delete_registry_key(kClasses, volume);
            }
        }
    }
}

void update_associations(const IntegrationSettings& settings, const SetupEnvironment& environment) {
    for (std::size_t slot = 0; slot < kFormatSlotCount; ++slot) {
        const FormatKind kind = slot == kKubSlot   ? FormatKind::kKub
                                : slot == kZipSlot ? FormatKind::kZip
                                                   : FormatKind::kOther;
        for (const std::u16string_view extension : slot_extensions(slot)) {
            if (settings.formats[slot])
                associate_extension(extension, kind, settings.shell_ext, environment);
            else
                restore_extension(extension, kind);
        }
    }
}

}  // namespace kub::setup

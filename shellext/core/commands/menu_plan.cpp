#include "shellext/core/commands/menu_plan.h"

#include "common/language/lang_string.h"
#include "common/files/path_ops.h"
#include "common/registry/registry_access.h"
#include "shellext/core/commands/command_kind.h"
#include "shellext/core/commands/derive_names.h"
#include "shellext/core/module_state.h"
#include "shellext/core/selection/selection_paths.h"
#include "shellext/settings/profile_value.h"
#include "shellext/settings/shell_settings.h"

namespace kub {
namespace {

std::u16string format_label(unsigned text_id, std::u16string_view arg) {
    std::u16string text = LangString(text_id);
    const std::size_t at = text.find(u"%s");
    if (at != std::u16string::npos) text.replace(at, 2, arg);
    return text;
}

class PlanBuilder {
public:
    PlanBuilder(MenuPlan& plan, std::uint32_t first_id, const MenuImageState& images)
        : plan_(plan), next_id_(first_id), images_(images) {}

    void add(std::int32_t kind, std::u16string text, const DwordSetting& setting) {
        if (read_setting(setting) == 0) return;
        const bool icons = read_setting(ShellSettings::kMenuIcons) != 0;
        const bool icon = icons && images_.icon_bitmap && images_.themed;
        const bool check_bitmap = icons && !icon;
        if (plan_.table.count == 0 && read_setting(ShellSettings::kCascadedMenu) != 0) {
            plan_.cascaded = true;
            plan_.popup_id = next_id_;
            plan_.popup_icon = icon;
            plan_.popup_check_bitmap = check_bitmap;
        }
        if (plan_.table.count >= static_cast<std::int32_t>(kMaxMenuCommands)) return;
        plan_.table.kinds[static_cast<std::size_t>(plan_.table.count++)] = kind;
        plan_.items.push_back({kind, shorten_menu_text(text), next_id_++, icon, check_bitmap});
    }

    std::uint32_t next_id() const { return next_id_; }

private:
    MenuPlan& plan_;
    std::uint32_t next_id_;
    const MenuImageState& images_;
};

void plan_add_group(PlanBuilder& builder, MenuPlan& plan, std::u16string_view first,
                    std::size_t count) {
    namespace S = ShellSettings;
    builder.add(kAddTo, LangString(command_info(kAddTo).text_id), S::kAddTo);

    std::u16string name = DeriveArchiveName(first, count, u"", kDefaultProfileSelector);
    if (name.empty() || name.front() != u'"') name = u"\"" + name + u"\"";
    name = double_ampersands(name);
    builder.add(kAddArchive, format_label(command_info(kAddArchive).text_id, name), S::kAddArc);

    for (std::int32_t n = 0; n < kMaxProfileCount; ++n) {
        const std::u16string key = profile_key(n);
        std::u16string profile_name;
        read_setting_string(key, ProfileSettings::kName.name, profile_name, u"",
                            kMenuProfileNameCapacity);
        if (profile_name.empty()) break;
        if (read_setting_number(key, ProfileSettings::kAddToMenu.name,
                                ProfileSettings::kAddToMenu.default_value) == 0) {
            continue;
        }
        // Counted even when the profile commands are switched off, so kind 11 + k is always
        // the k-th menu profile.
        builder.add(kFirstProfileKind + plan.profile_count, profile_name, S::kProfile);
        ++plan.profile_count;
    }

    builder.add(kEmailOptions, LangString(command_info(kEmailOptions).text_id), S::kEmailOpt);
    builder.add(kEmailArchive, format_label(command_info(kEmailArchive).text_id, name),
                S::kEmailArc);
}

void plan_extract_group(PlanBuilder& builder, const SelectionState& selection,
                        std::u16string_view first, std::u16string_view drop_folder) {
    namespace S = ShellSettings;
    builder.add(kExtractTo, LangString(command_info(kExtractTo).text_id), S::kExtrTo);
    builder.add(kExtractHere, LangString(command_info(kExtractHere).text_id), S::kExtrHere);
    if (selection.OfferExtractEach) {
        builder.add(kExtractSeparate, LangString(command_info(kExtractSeparate).text_id),
                    S::kExtrSep);
    }

    std::u16string label;
    if (drop_folder.empty()) {
        label = DeriveFolderName(first);
        append_separator(label);
    } else {
        label = name_part(drop_folder);
        append_separator(label);
        label += DeriveFolderName(first);
        label += u'\\';
    }
    label = double_ampersands(label);
    SanitiseName(label, false);
    builder.add(kExtractNamed, format_label(command_info(kExtractNamed).text_id, label), S::kExtr);

    if (selection.OfferOpenSfx) {
        builder.add(kOpenSfx, LangString(command_info(kOpenSfx).text_id), S::kOpenSfx);
    }
    // Testing and converting act on archives in place, which a drag to a folder does not ask for.
    if (drop_folder.empty()) {
        builder.add(kTest, LangString(command_info(kTest).text_id), S::kTest);
        builder.add(kConvert, LangString(command_info(kConvert).text_id), S::kConvert);
    }
}

}  // namespace

std::u16string shorten_menu_text(std::u16string_view text) {
    if (text.size() <= kMaxMenuTextLength) return std::u16string(text);
    std::u16string out(text.substr(0, kMenuTextHead));
    out += u"...";
    out += text.substr(text.size() - kMenuTextTail);
    return out;
}

std::u16string double_ampersands(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        out.push_back(c);
        if (c == u'&') out.push_back(u'&');
    }
    return out;
}

MenuPlan plan_menu(SelectionState& selection, std::uint32_t flags, std::uint32_t first_id,
                   std::u16string_view drop_folder, const MenuImageState& images) {
    MenuPlan plan;
    if ((flags & kMenuDefaultOnly) != 0 || AnalysisBusy != 0 ||
        selection.SelectedPaths.size() == 0) {
        return plan;
    }
    plan.built = true;
    const std::u16string first = first_selected_path(selection.SelectedPaths);
    const std::size_t count = selection.SelectedPaths.size();
    PlanBuilder builder(plan, first_id, images);
    if (selection.OfferAdd) plan_add_group(builder, plan, first, count);
    if (selection.OfferExtract) plan_extract_group(builder, selection, first, drop_folder);
    plan.identifiers_used = static_cast<std::uint16_t>(builder.next_id() - first_id);
    return plan;
}

void record_commands(const MenuPlan& plan) {
    if (!plan.built) return;
    CommandTable.assign(plan.table, plan.profile_count);
}

}  // namespace kub

#include "uninstall/core/format_table.h"

namespace kub::setup {

std::vector<std::u16string_view> slot_extensions(std::size_t slot) {
    std::vector<std::u16string_view> out;
    if (slot >= kFormatSlotCount) return out;
    const std::u16string_view all = kFormatSlots[slot].extensions;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t next = all.find(u'.', start + 1);
        if (next == std::u16string_view::npos) next = all.size();
        out.push_back(all.substr(start, next - start));
        start = next;
    }
    return out;
}

std::u16string_view first_extension(std::size_t slot) {
    const auto extensions = slot_extensions(slot);
    return extensions.empty() ? std::u16string_view() : extensions.front();
}

std::u16string_view slot_prog_id(std::size_t slot) {
    return slot == kZipSlot ? kZipProgId : kProgId;
}

}  // namespace kub::setup

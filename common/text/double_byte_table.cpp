#include "common/text/double_byte_table.h"

#include <atomic>
#include <forward_list>
#include <mutex>

#include "common/os/os.h"

namespace kub {
namespace {

struct BuiltTable {
    unsigned code_page = 0;
    DoubleByteTable table;
};

// Every table ever built, one per code page, never changed once published: a thread that holds a
// reference keeps reading a complete table while another builds the one of a new code page.
std::mutex build_lock;
std::forward_list<BuiltTable> built_tables;
std::atomic<const BuiltTable*> current{nullptr};

const BuiltTable& build_table(unsigned code_page) {
    std::lock_guard<std::mutex> lock(build_lock);
    for (const BuiltTable& built : built_tables) {
        if (built.code_page == code_page) return built;
    }
    BuiltTable built;
    built.code_page = code_page;
    for (unsigned byte = 0; byte < built.table.lead.size(); ++byte) {
        built.table.lead[byte] = os::is_ansi_lead_byte(static_cast<unsigned char>(byte));
        built.table.multi_byte = built.table.multi_byte || built.table.lead[byte];
    }
    built_tables.push_front(built);
    return built_tables.front();
}

}  // namespace

const DoubleByteTable& ansi_double_byte_table() {
    const unsigned code_page = os::code_page_number(os::CodePage::kAnsi);
    const BuiltTable* table = current.load(std::memory_order_acquire);
    if (table == nullptr || table->code_page != code_page) {
        table = &build_table(code_page);
        current.store(table, std::memory_order_release);
    }
    return table->table;
}

std::size_t next_char_pos(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return text.size();
    const DoubleByteTable& table = ansi_double_byte_table();
    bool pair = table.lead[static_cast<unsigned char>(text[pos])] && pos + 1 < text.size() &&
                text[pos + 1] != '\0';
    return pos + (pair ? 2 : 1);
}

}  // namespace kub

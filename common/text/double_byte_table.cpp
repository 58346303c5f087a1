#include "common/text/double_byte_table.h"

#include "common/os/os.h"

namespace kub {

const DoubleByteTable& ansi_double_byte_table() {
    static DoubleByteTable table;
    static unsigned built_for = 0;  // no code page has number 0
    unsigned code_page = os::code_page_number(os::CodePage::kAnsi);
    if (built_for != code_page) {
        table = DoubleByteTable{};
        for (unsigned byte = 0; byte < table.lead.size(); ++byte) {
            table.lead[byte] = os::is_ansi_lead_byte(static_cast<unsigned char>(byte));
            table.multi_byte = table.multi_byte || table.lead[byte];
        }
        built_for = code_page;
    }
    return table;
}

std::size_t next_char_pos(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return text.size();
    const DoubleByteTable& table = ansi_double_byte_table();
    bool pair = table.lead[static_cast<unsigned char>(text[pos])] && pos + 1 < text.size() &&
                text[pos + 1] != '\0';
    return pos + (pair ? 2 : 1);
}

}  // namespace kub

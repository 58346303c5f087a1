#include "formats/single_stream_item_name.h"

#include "common/files/path_ops.h"
#include "formats/archive_reader.h"

namespace kub {

std::u16string SingleStreamItemName(std::u16string_view archive_path) {
    std::u16string name(name_part(archive_path));
    std::size_t dot = name.rfind(u'.');
    if (dot == std::u16string::npos) {
        name += u".out";
    } else {
        name.resize(dot);
    }
    cut_to_capacity(name, kItemNameCapacity);
    return name;
}

}  // namespace kub

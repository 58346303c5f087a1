#include "common/text/array.h"

#include <limits>
#include <string>

namespace kub::array_detail {

std::size_t grown_capacity(std::size_t capacity, std::size_t needed) {
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    std::size_t step = capacity / 4 + 32;
    std::size_t grown = capacity > kMax - step ? kMax : capacity + step;
    return grown < needed ? needed : grown;
}

void maximum_exceeded(std::size_t maximum) {
    std::string text = "Maximum allowed array size (" + std::to_string(maximum) + ") is exceeded";
    ErrorState::report(kMsgText, std::u16string(text.begin(), text.end()));
    ErrorState::out_of_memory();
}

}  // namespace kub::array_detail

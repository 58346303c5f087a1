#pragma once
// A growable array whose growth and failure follow the library's rules: capacity grows by a
// quarter plus 32 elements, an optional maximum count is enforced, and running out of memory (or
// past the maximum) raises KUB_EXIT 8 through ErrorState instead of throwing std::bad_alloc.
#include <cstddef>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "common/error_state.h"

namespace kub {

namespace array_detail {

// Capacity for `needed` elements when `capacity` is too small: old + old / 4 + 32, or `needed`
// when that is larger.
std::size_t grown_capacity(std::size_t capacity, std::size_t needed);

// Reports that `maximum` elements were exceeded and raises the out-of-memory error.
[[noreturn]] void maximum_exceeded(std::size_t maximum);

}  // namespace array_detail

template <typename T>
class Array {
  public:
    Array() = default;
    explicit Array(std::size_t maximum) : maximum_(maximum) {}

    // 0 = no maximum.
    void set_maximum(std::size_t maximum) { maximum_ = maximum; }

    // By value: `value` may be an element of this array, which growing would move.
    void push(T value) {
        reserve_for(size() + 1);
        items_.push_back(std::move(value));
    }

    // Appends `n` value-initialised elements.
    void add(std::size_t n) {
        if (n > items_.max_size() - size()) ErrorState::out_of_memory();
        reserve_for(size() + n);
        items_.resize(size() + n);
    }

    void clear() {
        items_.clear();
        items_.shrink_to_fit();
        capacity_ = 0;
    }

    T& operator[](std::size_t i) { return items_[i]; }
    const T& operator[](std::size_t i) const { return items_[i]; }
    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    std::size_t capacity() const { return capacity_; }
    T* data() { return items_.data(); }
    const T* data() const { return items_.data(); }
    auto begin() { return items_.begin(); }
    auto end() { return items_.end(); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    void reserve_for(std::size_t needed) {
        if (maximum_ != 0 && needed > maximum_) array_detail::maximum_exceeded(maximum_);
        if (needed <= capacity_) return;
        std::size_t capacity = array_detail::grown_capacity(capacity_, needed);
        try {
            items_.reserve(capacity);
        } catch (const std::bad_alloc&) {
            ErrorState::out_of_memory();
        } catch (const std::length_error&) {
            ErrorState::out_of_memory();
        }
        capacity_ = capacity;
    }

    // Kept apart from the vector's own capacity, which may round up: this is the capacity the
    // growth rule asked for.
    std::vector<T> items_;
    std::size_t capacity_ = 0;
    std::size_t maximum_ = 0;
};

}  // namespace kub

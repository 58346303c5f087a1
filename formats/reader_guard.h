#pragma once
// The boundary of a reader's Open: out of memory ends the run through the error state, the end of
// a run (KUB_EXIT) passes on, and anything else thrown refuses the file. Whenever the body does
// not return, `release` gives back what the reader took.
#include <new>

#include "common/error_state.h"

namespace kub {

template <class Body, class Release>
bool open_guarded(Body&& body, Release&& release) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        release();
        ErrorState::out_of_memory();
    } catch (const KUB_EXIT&) {
        release();
        throw;
    } catch (...) {
        release();
        return false;
    }
}

}  // namespace kub

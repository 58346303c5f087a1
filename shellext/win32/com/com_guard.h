#pragma once
// The exception barrier of every COM method and exported function: nothing thrown inside the
// extension may cross into Explorer. Out-of-memory (as KUB_EXIT or std::bad_alloc) becomes
// `out_of_memory` (E_OUTOFMEMORY unless the method answers otherwise), anything else E_FAIL.
#include <windows.h>

#include <new>

#include "common/error_state.h"

namespace kub {

template <class Body>
HRESULT com_guard(Body&& body, HRESULT out_of_memory = E_OUTOFMEMORY) noexcept {
    try {
        return body();
    } catch (const KUB_EXIT& code) {
        return code == KUB_MEMORY_ERROR ? out_of_memory : E_FAIL;
    } catch (const std::bad_alloc&) {
        return out_of_memory;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace kub

#pragma once
// The exception barrier of every COM method and exported function: nothing thrown inside the
// extension may cross into Explorer. Out-of-memory (as KUB_EXIT or std::bad_alloc) becomes
// E_OUTOFMEMORY, anything else E_FAIL.
#include <windows.h>

#include <new>

#include "common/error_state.h"

namespace kub {

template <class Body>
HRESULT com_guard(Body&& body) noexcept {
    try {
        return body();
    } catch (const KUB_EXIT& code) {
        return code == KUB_MEMORY_ERROR ? E_OUTOFMEMORY : E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace kub

#include "tests/wine/host/hdrop_data_object.h"

#include <shlobj.h>

#include <cstring>

namespace kub::wine_host {

HGLOBAL make_wide_dropfiles(const std::vector<std::wstring>& paths) {
    // Each name ends with a zero and the list with one more; an empty list is two zeros.
    std::size_t units = paths.empty() ? 2 : 1;
    for (const std::wstring& path : paths) units += path.size() + 1;
    const std::size_t bytes = sizeof(DROPFILES) + units * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (memory == nullptr) return nullptr;
    auto* block = static_cast<DROPFILES*>(::GlobalLock(memory));
    block->pFiles = sizeof(DROPFILES);
    block->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(block) + sizeof(DROPFILES));
    for (const std::wstring& path : paths) {
        std::memcpy(text, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
        text += path.size() + 1;
    }
    ::GlobalUnlock(memory);
    return memory;
}

HdropDataObject* HdropDataObject::create(std::vector<std::wstring> paths, bool offer_file_list) {
    return new HdropDataObject(std::move(paths), offer_file_list);
}

HdropDataObject::HdropDataObject(std::vector<std::wstring> paths, bool offer_file_list)
    : paths_(std::move(paths)), offer_file_list_(offer_file_list) {}

STDMETHODIMP HdropDataObject::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDataObject)) return E_NOINTERFACE;
    *out = static_cast<IDataObject*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) HdropDataObject::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) HdropDataObject::Release() {
    const LONG count = --references_;
    if (count == 0) delete this;
    return count;
}

bool HdropDataObject::is_file_list_request(const FORMATETC* format) const {
    return offer_file_list_ && format != nullptr && format->cfFormat == CF_HDROP &&
           format->dwAspect == DVASPECT_CONTENT && (format->tymed & TYMED_HGLOBAL) != 0;
}

STDMETHODIMP HdropDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    ++get_data_calls_;
    if (medium == nullptr) return E_POINTER;
    *medium = STGMEDIUM{};
    if (!is_file_list_request(format)) return DV_E_FORMATETC;
    HGLOBAL memory = make_wide_dropfiles(paths_);
    if (memory == nullptr) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    return S_OK;
}

STDMETHODIMP HdropDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

STDMETHODIMP HdropDataObject::QueryGetData(FORMATETC* format) {
    return is_file_list_request(format) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP HdropDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out != nullptr) out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP HdropDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP HdropDataObject::EnumFormatEtc(DWORD, IEnumFORMATETC** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP HdropDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP HdropDataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

STDMETHODIMP HdropDataObject::EnumDAdvise(IEnumSTATDATA** out) {
    if (out != nullptr) *out = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

}  // namespace kub::wine_host

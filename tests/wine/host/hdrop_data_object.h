#pragma once
// A data object as the shell hands it to extensions: a file list in CF_HDROP form (a wide
// DROPFILES block), the only format the extension asks for. Counts its references and GetData
// calls so tests can see what the extension holds and reads.
#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

namespace kub::wine_host {

class HdropDataObject final : public IDataObject {
public:
    // An object holding `paths`; with `offer_file_list` false it has no CF_HDROP data at all.
    // Starts with one reference, owned by the caller.
    static HdropDataObject* create(std::vector<std::wstring> paths, bool offer_file_list = true);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                         DWORD* connection) override;
    STDMETHODIMP DUnadvise(DWORD connection) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** out) override;

    LONG references() const { return references_; }
    int get_data_calls() const { return get_data_calls_; }

private:
    HdropDataObject(std::vector<std::wstring> paths, bool offer_file_list);
    ~HdropDataObject() = default;
    bool is_file_list_request(const FORMATETC* format) const;

    std::vector<std::wstring> paths_;
    bool offer_file_list_;
    LONG references_ = 1;
    int get_data_calls_ = 0;
};

// The DROPFILES block for `paths` in a movable global memory handle; nullptr if out of memory.
HGLOBAL make_wide_dropfiles(const std::vector<std::wstring>& paths);

}  // namespace kub::wine_host

#include "drop_data_object.h"

#include <shlobj.h>

#include <cstring>

namespace {

class DropDataObject final : public IDataObject {
public:
    DropDataObject(std::vector<BYTE> block, bool offerDrop) : m_block(std::move(block)), m_offerDrop(offerDrop) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || iid == IID_IDataObject) {
            *object = static_cast<IDataObject*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        const LONG count = InterlockedDecrement(&m_refs);
        if (count == 0) delete this;
        return count;
    }

    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override
    {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, m_block.size());
        if (!memory) return E_OUTOFMEMORY;
        if (!m_block.empty()) {
            std::memcpy(GlobalLock(memory), m_block.data(), m_block.size());
            GlobalUnlock(memory);
        }
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = memory;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override
    {
        return m_offerDrop && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override
    {
        out->ptd = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    ~DropDataObject() = default;
    volatile LONG m_refs = 1;
    std::vector<BYTE> m_block;
    bool m_offerDrop;
};

template <typename Text>
std::vector<BYTE> MakeBlock(const std::vector<Text>& paths, BOOL wide)
{
    using Unit = typename Text::value_type;
    size_t units = 1;  // the list's final terminator
    for (const auto& path : paths) units += path.size() + 1;
    std::vector<BYTE> block(sizeof(DROPFILES) + units * sizeof(Unit), 0);
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = wide;
    std::memcpy(block.data(), &header, sizeof(header));
    BYTE* text = block.data() + sizeof(DROPFILES);
    for (const auto& path : paths) {
        std::memcpy(text, path.data(), path.size() * sizeof(Unit));
        text += (path.size() + 1) * sizeof(Unit);
    }
    return block;
}

}  // namespace

std::vector<BYTE> MakeDropBlock(const std::vector<std::wstring>& paths) { return MakeBlock(paths, TRUE); }

std::vector<BYTE> MakeAnsiDropBlock(const std::vector<std::string>& paths) { return MakeBlock(paths, FALSE); }

IDataObject* CreateDropDataObject(const std::vector<std::wstring>& paths, bool offerDrop)
{
    return new DropDataObject(MakeDropBlock(paths), offerDrop);
}

IDataObject* CreateRawDropDataObject(std::vector<BYTE> block)
{
    return new DropDataObject(std::move(block), true);
}

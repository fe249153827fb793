#include "shell_ext/drop_selection.h"

#include <shellapi.h>

namespace {

class StorageMedium {
public:
    StorageMedium() = default;
    ~StorageMedium()
    {
        if (m_obtained) ReleaseStgMedium(&m_medium);
    }
    StorageMedium(const StorageMedium&) = delete;
    StorageMedium& operator=(const StorageMedium&) = delete;

    HRESULT GetFrom(IDataObject* dataObject, FORMATETC& format)
    {
        const HRESULT hr = dataObject->GetData(&format, &m_medium);
        m_obtained = SUCCEEDED(hr);
        return hr;
    }
    HGLOBAL Global() const { return m_medium.hGlobal; }

private:
    STGMEDIUM m_medium = {};
    bool m_obtained = false;
};

class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL memory) : m_memory(memory), m_data(GlobalLock(memory)) {}
    ~GlobalLockGuard()
    {
        if (m_data) GlobalUnlock(m_memory);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    void* Data() const { return m_data; }

private:
    HGLOBAL m_memory;
    void* m_data;
};

}  // namespace

HRESULT ReadDropSelection(IDataObject* dataObject, std::vector<std::wstring>& paths)
{
    if (!dataObject) return E_INVALIDARG;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    StorageMedium medium;
    if (FAILED(medium.GetFrom(dataObject, format))) return E_INVALIDARG;
    GlobalLockGuard lock(medium.Global());
    if (!lock.Data()) return E_INVALIDARG;
    const auto drop = static_cast<HDROP>(medium.Global());
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    if (count == 0) return E_INVALIDARG;

    paths.clear();
    for (UINT index = 0; index < count; ++index) {
        if (DragQueryFileW(drop, index, nullptr, 0) > kMaxSelectedPathLength) continue;
        wchar_t path[kMaxSelectedPathLength + 1] = {};
        const UINT length = DragQueryFileW(drop, index, path, kMaxSelectedPathLength + 1);
        if (length > 0) paths.emplace_back(path, length);
    }
    return S_OK;
}

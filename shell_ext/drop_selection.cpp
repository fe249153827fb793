#include "shell_ext/drop_selection.h"

#include <shlobj.h>

#include <climits>
#include <cstring>

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

// The names of a drop list, a name after another, each with its terminator, an empty name
// after the last. Units are wchar_t or char; the list need not be aligned for them.
template <typename Unit>
class DropListReader {
public:
    DropListReader(const BYTE* list, size_t bytes) : m_next(list), m_end(list + bytes - bytes % sizeof(Unit)) {}

    // Appends each name that fits kMaxSelectedPathLength, in order, and counts every name.
    // False when the list does not end inside the block.
    bool ReadAll(CSelectedPaths& paths, size_t& names)
    {
        for (;;) {
            const BYTE* terminator = FindTerminator();
            if (!terminator) return false;
            const size_t length = (terminator - m_next) / sizeof(Unit);
            if (length == 0) return true;
            ++names;
            AppendIfFits(m_next, length, paths);
            m_next = terminator + sizeof(Unit);
        }
    }

private:
    const BYTE* FindTerminator() const
    {
        if constexpr (sizeof(Unit) == 1) {
            return static_cast<const BYTE*>(std::memchr(m_next, 0, m_end - m_next));
        } else {
            for (const BYTE* unit = m_next; unit < m_end; unit += sizeof(Unit)) {
                Unit value;
                std::memcpy(&value, unit, sizeof(Unit));
                if (value == 0) return unit;
            }
            return nullptr;
        }
    }

    static void AppendIfFits(const BYTE* name, size_t length, CSelectedPaths& paths)
    {
        wchar_t path[kMaxSelectedPathLength];
        if constexpr (sizeof(Unit) == 1) {
            // Converted as the shell converts an ANSI list; a name that does not fit the
            // buffer once converted is too long.
            if (length > INT_MAX) return;
            const int units = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(name),
                                                  static_cast<int>(length), path, kMaxSelectedPathLength);
            if (units > 0) paths.Append(path, units);
        } else {
            if (length > kMaxSelectedPathLength) return;
            std::memcpy(path, name, length * sizeof(Unit));
            paths.Append(path, length);
        }
    }

    const BYTE* m_next;
    const BYTE* m_end;  // the end of the block's last whole unit
};

}  // namespace

HRESULT ReadDropSelection(IDataObject* dataObject, CSelectedPaths& paths)
{
    if (!dataObject) return E_INVALIDARG;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    StorageMedium medium;
    if (FAILED(medium.GetFrom(dataObject, format))) return E_INVALIDARG;
    GlobalLockGuard lock(medium.Global());
    if (!lock.Data()) return E_INVALIDARG;
    const SIZE_T blockSize = GlobalSize(medium.Global());
    if (blockSize < sizeof(DROPFILES)) return E_INVALIDARG;
    const auto* block = static_cast<const BYTE*>(lock.Data());
    DROPFILES header;
    std::memcpy(&header, block, sizeof(header));
    if (header.pFiles < sizeof(DROPFILES) || header.pFiles >= blockSize) return E_INVALIDARG;

    const BYTE* list = block + header.pFiles;
    const size_t listBytes = blockSize - header.pFiles;
    CSelectedPaths selection;
    selection.ReserveUnits(listBytes / (header.fWide ? sizeof(wchar_t) : 1));  // the most the list can hold
    size_t names = 0;
    const bool complete = header.fWide ? DropListReader<wchar_t>(list, listBytes).ReadAll(selection, names)
                                       : DropListReader<char>(list, listBytes).ReadAll(selection, names);
    if (!complete || names == 0) return E_INVALIDARG;
    paths = std::move(selection);
    return S_OK;
}

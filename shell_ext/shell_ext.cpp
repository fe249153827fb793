#include "shell_ext/shell_ext.h"

#include "common/engine.h"
#include "common/file_conversion.h"
#include "shell_ext/drop_selection.h"
#include "shell_ext/resource.h"
#include "shell_ext/usage_store.h"

#include <cstddef>
#include <new>

namespace {

constexpr const wchar_t* kCommandTexts[CPlenzarFileShellExt::kCommandCount] = {
    L"Tiny", L"Small", L"Medium", L"Large", L"Full"};
constexpr wchar_t kSubmenuTitle[] = L"Optimize file with PlenzarFile";
constexpr wchar_t kHelpText[] = L"This is the simple shell extension's help";

// A caller that passes CMINVOKECOMMANDINFOEX with the Unicode mask names its verb in lpVerbW.
bool HasUnicodeVerbString(const CMINVOKECOMMANDINFO& info)
{
    constexpr DWORD kSizeWithVerbW = offsetof(CMINVOKECOMMANDINFOEX, lpVerbW) + sizeof(LPCWSTR);
    if (info.cbSize < kSizeWithVerbW || !(info.fMask & CMIC_MASK_UNICODE)) return false;
    return !IS_INTRESOURCE(reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info).lpVerbW);
}

}  // namespace

HRESULT CPlenzarFileShellExt::FinalConstruct()
{
    m_builtStore = BuildStatisticsStoreIfNone();  // null: another handler's store is current
    return S_OK;
}

void CPlenzarFileShellExt::FinalRelease()
{
    m_builtStore.reset();  // a store found present is left alone
}

void* CPlenzarFileShellExt::FindInterface(REFIID iid)
{
    if (iid == IID_IUnknown || iid == IID_IShellExtInit) return static_cast<IShellExtInit*>(this);
    if (iid == IID_IContextMenu) return static_cast<IContextMenu*>(this);
    return nullptr;
}

HRESULT CPlenzarFileShellExt::UpdateRegistry(BOOL doRegister)
{
    return _pAtlModule->UpdateRegistryFromResource(IDR_PLENZARFILESHELLEXT, doRegister);
}

STDMETHODIMP CPlenzarFileShellExt::Initialize(PCIDLIST_ABSOLUTE, IDataObject* dataObject, HKEY)
{
    try {
        if (!LoadEngine()) return E_INVALIDARG;
        CSelectedPaths selection;
        if (FAILED(ReadDropSelection(dataObject, selection))) return E_INVALIDARG;
        selection.KeepOnly([](const wchar_t* path) { return g_engineFunctions.IsSupported(path) == 1; });
        m_keptPaths = std::move(selection);
        return m_keptPaths.Empty() ? E_INVALIDARG : S_OK;
    } catch (const std::bad_alloc&) {
        m_keptPaths.Clear();
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP CPlenzarFileShellExt::QueryContextMenu(HMENU menu, UINT position, UINT firstId, UINT lastId, UINT flags)
{
    if (flags & CMF_DEFAULTONLY) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    // Ids beyond the host's range would be another handler's: a click would run its command.
    if (lastId < firstId || lastId - firstId < kCommandCount - 1) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    HMENU submenu = CreateMenu();
    if (!submenu) return HRESULT_FROM_WIN32(GetLastError());
    for (UINT offset = 0; offset < kCommandCount; ++offset)
        InsertMenuW(submenu, static_cast<UINT>(-1), MF_BYPOSITION | MF_STRING, firstId + offset, kCommandTexts[offset]);
    if (!InsertMenuW(menu, position, MF_BYPOSITION | MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu),
                     kSubmenuTitle)) {
        const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        DestroyMenu(submenu);  // not owned by the host's menu
        return FAILED(hr) ? hr : E_FAIL;
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, kCommandCount);
}

STDMETHODIMP CPlenzarFileShellExt::InvokeCommand(CMINVOKECOMMANDINFO* info)
{
    if (!info || HIWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)) != 0 || HasUnicodeVerbString(*info))
        return E_INVALIDARG;
    const UINT offset = LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb));
    if (offset >= kCommandCount) return E_INVALIDARG;
    const auto profile = static_cast<PlenzarProfile>(offset);  // PROFILE_TINY ... PROFILE_FULL
    for (size_t index = 0; index < m_keptPaths.Count(); ++index) {
        try {
            const std::wstring source = m_keptPaths[index];
            SplitPath parts;
            if (SplitFilePath(source.c_str(), parts)) ConvertIntoFreeName(source, parts, profile, &CountConversion);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    return S_OK;
}

STDMETHODIMP CPlenzarFileShellExt::GetCommandString(UINT_PTR offset, UINT type, UINT*, CHAR* buffer, UINT size)
{
    if (offset != 0 || !buffer || size == 0) return E_INVALIDARG;
    if (type == GCS_HELPTEXTW) {
        lstrcpynW(reinterpret_cast<LPWSTR>(buffer), kHelpText, static_cast<int>(size));
        return S_OK;
    }
    if (type == GCS_HELPTEXTA) {
        char ansi[sizeof(kHelpText)] = {};
        WideCharToMultiByte(CP_THREAD_ACP, 0, kHelpText, -1, ansi, sizeof(ansi), nullptr, nullptr);
        lstrcpynA(buffer, ansi, static_cast<int>(size));
        return S_OK;
    }
    return E_INVALIDARG;
}

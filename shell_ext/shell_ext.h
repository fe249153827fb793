#pragma once
// CPlenzarFileShellExt: the context-menu handler that Explorer creates for selected files.
#include "classlib/com_object.h"
#include "common/usage_statistics.h"
#include "shell_ext/selected_paths.h"

#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

class CPlenzarFileShellExt : public CComObjectRootEx, public IShellExtInit, public IContextMenu {
public:
    static constexpr UINT kCommandCount = 5;  // Tiny, Small, Medium, Large, Full

    HRESULT FinalConstruct();
    void FinalRelease();
    void* FindInterface(REFIID iid);
    static HRESULT UpdateRegistry(BOOL doRegister);

    // IShellExtInit
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* dataObject, HKEY fileTypeKey) override;
    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU menu, UINT position, UINT firstId, UINT lastId, UINT flags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    STDMETHODIMP GetCommandString(UINT_PTR offset, UINT type, UINT* reserved, CHAR* buffer, UINT size) override;

protected:
    CPlenzarFileShellExt() = default;
    virtual ~CPlenzarFileShellExt() = default;

private:
    CSelectedPaths m_keptPaths;  // accepted by the engine, in selection order
    std::unique_ptr<CUsageStatistics> m_builtStore;  // the process's store, when this object built it
};

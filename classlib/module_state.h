#pragma once
// The module-state switch of an entry point: AFX_MANAGE_STATE(AfxGetStaticModuleState())
// at the top of a function makes AfxGetResourceHandle() answer the module that holds the
// function's code (a DLL's own resources, never the host program's) until it returns.
#include <windows.h>

struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentResourceHandle;
};

// The state of the module that holds this code.
AFX_MODULE_STATE* AfxGetStaticModuleState();

class CModuleStateScope {
public:
    explicit CModuleStateScope(AFX_MODULE_STATE* state) noexcept;
    ~CModuleStateScope();
    CModuleStateScope(const CModuleStateScope&) = delete;
    CModuleStateScope& operator=(const CModuleStateScope&) = delete;

private:
    AFX_MODULE_STATE* m_previous;
};

#define AFX_MANAGE_STATE(state) CModuleStateScope moduleStateScope_(state)

// The state switched to on this thread, or null outside every switch.
AFX_MODULE_STATE* AfxGetCurrentModuleState() noexcept;

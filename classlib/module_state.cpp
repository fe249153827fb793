#include "classlib/module_state.h"

namespace {
thread_local AFX_MODULE_STATE* t_currentState = nullptr;

HINSTANCE ModuleOfThisCode()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ModuleOfThisCode), &module);
    return module;
}
}  // namespace

AFX_MODULE_STATE* AfxGetStaticModuleState()
{
    static AFX_MODULE_STATE state = {ModuleOfThisCode()};
    return &state;
}

CModuleStateScope::CModuleStateScope(AFX_MODULE_STATE* state) noexcept : m_previous(t_currentState)
{
    t_currentState = state;
}

CModuleStateScope::~CModuleStateScope()
{
    t_currentState = m_previous;
}

AFX_MODULE_STATE* AfxGetCurrentModuleState() noexcept
{
    return t_currentState;
}

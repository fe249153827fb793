#include "classlib/module_state.h"

#include "classlib/module_handle.h"

namespace {
thread_local AFX_MODULE_STATE* t_currentState = nullptr;
}  // namespace

AFX_MODULE_STATE* AfxGetStaticModuleState()
{
    static AFX_MODULE_STATE state = {AtlModuleHandle()};
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

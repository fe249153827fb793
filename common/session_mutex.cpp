#include "common/session_mutex.h"

CSessionMutexLock::CSessionMutexLock(const wchar_t* name, DWORD timeoutMs) noexcept
    : m_mutex(::CreateMutexW(nullptr, FALSE, name))
{
    if (!m_mutex)
        return;
    const DWORD waited = ::WaitForSingleObject(m_mutex, timeoutMs);
    m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

CSessionMutexLock::~CSessionMutexLock()
{
    if (m_held)
        ::ReleaseMutex(m_mutex);
    if (m_mutex)
        ::CloseHandle(m_mutex);
}

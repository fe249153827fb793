#pragma once
// One named mutex of the user's session, held for a scope.
#include <windows.h>

// Opens (or makes) the mutex of that name and waits for it, at most timeoutMs. A mutex whose
// owner ended without releasing it counts as held: its users must not rely on what an owner
// left half done. Not held when the mutex can't be had or the wait times out.
class CSessionMutexLock {
public:
    CSessionMutexLock(const wchar_t* name, DWORD timeoutMs) noexcept;
    ~CSessionMutexLock();
    CSessionMutexLock(const CSessionMutexLock&) = delete;
    CSessionMutexLock& operator=(const CSessionMutexLock&) = delete;

    bool IsHeld() const { return m_held; }

private:
    HANDLE m_mutex = nullptr;
    bool m_held = false;
};

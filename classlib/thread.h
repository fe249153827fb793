#pragma once
// Worker threads: CWinThread and AfxBeginThread, as far as the product code uses them.
#include <windows.h>

using AFX_THREADPROC = UINT(__cdecl*)(LPVOID parameter);

// One started thread. By default (m_bAutoDelete) the object deletes itself when the
// thread ends, so the starter may use it only while it knows the thread runs; a thread
// started with CREATE_SUSPENDED may have m_bAutoDelete cleared before ResumeThread, and is
// then the starter's to delete (the destructor closes the handle).
class CWinThread {
public:
    CWinThread(AFX_THREADPROC procedure, LPVOID parameter);
    virtual ~CWinThread();
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;
    AFX_THREADPROC m_pfnThreadProc;
    LPVOID m_pThreadParams;
};

// Starts procedure(parameter) on a new thread; null when the thread cannot be created.
// The thread holds a reference on the module (DLL) holding the procedure until its very
// last instruction, so a library whose code it runs cannot be unloaded under it.
CWinThread* AfxBeginThread(AFX_THREADPROC procedure, LPVOID parameter,
                           int priority = THREAD_PRIORITY_NORMAL, UINT stackSize = 0,
                           DWORD createFlags = 0, LPSECURITY_ATTRIBUTES security = nullptr);

#include "classlib/thread.h"

#include <process.h>

#include <memory>

namespace {

// The module holding the thread's procedure, referenced for the thread's life; null for
// the program itself, which is never unloaded.
HMODULE ReferenceModuleOf(AFX_THREADPROC procedure)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(procedure), &module))
        return nullptr;
    if (module == GetModuleHandleW(nullptr)) {
        FreeLibrary(module);
        return nullptr;
    }
    return module;
}

struct ThreadStart {
    CWinThread* thread;
    HMODULE module;
};

unsigned __stdcall RunThread(void* startBlock)
{
    const ThreadStart start = *static_cast<ThreadStart*>(startBlock);
    delete static_cast<ThreadStart*>(startBlock);
    const UINT exitCode = start.thread->m_pfnThreadProc(start.thread->m_pThreadParams);
    if (start.thread->m_bAutoDelete) delete start.thread;
    // Leaves through the system, never returning into the library it releases.
    if (start.module) FreeLibraryAndExitThread(start.module, exitCode);
    return exitCode;
}

}  // namespace

CWinThread::CWinThread(AFX_THREADPROC procedure, LPVOID parameter)
    : m_pfnThreadProc(procedure), m_pThreadParams(parameter)
{
}

CWinThread::~CWinThread()
{
    if (m_hThread) CloseHandle(m_hThread);
}

CWinThread* AfxBeginThread(AFX_THREADPROC procedure, LPVOID parameter, int priority,
                           UINT stackSize, DWORD createFlags, LPSECURITY_ATTRIBUTES security)
{
    if (!procedure) return nullptr;
    // Owned here until the thread runs, so an allocation that fails leaks nothing.
    auto thread = std::make_unique<CWinThread>(procedure, parameter);
    auto start = std::make_unique<ThreadStart>(ThreadStart{thread.get(), nullptr});
    start->module = ReferenceModuleOf(procedure);
    unsigned threadId = 0;
    const uintptr_t handle = _beginthreadex(security, stackSize, RunThread, start.get(),
                                            CREATE_SUSPENDED, &threadId);
    if (!handle) {
        if (start->module) FreeLibrary(start->module);
        return nullptr;
    }
    start.release();  // the thread's now
    thread->m_hThread = reinterpret_cast<HANDLE>(handle);
    thread->m_nThreadID = threadId;
    SetThreadPriority(thread->m_hThread, priority);
    CWinThread* started = thread.release();
    if (!(createFlags & CREATE_SUSPENDED)) started->ResumeThread();
    return started;
}

// thread_probe.dll: starts a thread running code of this library, for the test that the
// library stays loaded until the thread has ended.
#include "classlib/thread.h"

namespace {
UINT __cdecl WaitForRelease(LPVOID releaseEvent)
{
    WaitForSingleObject(static_cast<HANDLE>(releaseEvent), INFINITE);
    return 7;
}
}  // namespace

// A handle of the started thread, the caller's to close; null on failure.
extern "C" __declspec(dllexport) HANDLE StartWaitingThread(HANDLE releaseEvent)
{
    CWinThread* thread = AfxBeginThread(WaitForRelease, releaseEvent, THREAD_PRIORITY_NORMAL, 0,
                                        CREATE_SUSPENDED);
    if (!thread) return nullptr;
    HANDLE handle = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread->m_hThread, GetCurrentProcess(), &handle, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    thread->ResumeThread();  // deletes itself when it ends
    return handle;
}

#include "classlib/thread.h"

#include <gtest/gtest.h>

namespace {

UINT __cdecl ReturnParameterPlusOne(LPVOID parameter)
{
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(parameter)) + 1;
}

TEST(AfxBeginThread, SuspendedThreadKeptByTheStarterRunsOnResumeWithItsParameter)
{
    CWinThread* thread = AfxBeginThread(ReturnParameterPlusOne, reinterpret_cast<LPVOID>(41),
                                        THREAD_PRIORITY_BELOW_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(thread, nullptr);
    thread->m_bAutoDelete = FALSE;
    EXPECT_EQ(WaitForSingleObject(thread->m_hThread, 200), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(GetThreadPriority(thread->m_hThread), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(thread->ResumeThread(), 1u);
    ASSERT_EQ(WaitForSingleObject(thread->m_hThread, 5000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeThread(thread->m_hThread, &exitCode);
    EXPECT_EQ(exitCode, 42u);
    EXPECT_NE(thread->m_nThreadID, 0u);
    delete thread;
}

TEST(AfxBeginThread, LibraryStaysLoadedUntilItsThreadHasEnded)
{
    HMODULE library = LoadLibraryW(L"thread_probe.dll");
    ASSERT_NE(library, nullptr);
    using StartFunction = HANDLE (*)(HANDLE);
    auto start = reinterpret_cast<StartFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, "StartWaitingThread")));
    ASSERT_NE(start, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = start(release);
    ASSERT_NE(thread, nullptr);

    FreeLibrary(library);
    EXPECT_NE(GetModuleHandleW(L"thread_probe.dll"), nullptr) << "unloaded under its thread";

    SetEvent(release);
    ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    EXPECT_EQ(exitCode, 7u);
    EXPECT_EQ(GetModuleHandleW(L"thread_probe.dll"), nullptr) << "the thread's reference leaked";
    CloseHandle(thread);
    CloseHandle(release);
}

}  // namespace

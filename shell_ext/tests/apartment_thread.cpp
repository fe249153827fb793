#include "apartment_thread.h"

#include <objbase.h>

ApartmentThread::ApartmentThread()
    : m_workReady(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_workDone(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_thread([this] { Loop(); })
{
}

ApartmentThread::~ApartmentThread()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    SetEvent(m_workReady);
    m_thread.join();
    CloseHandle(m_workReady);
    CloseHandle(m_workDone);
}

void ApartmentThread::Run(std::function<void()> work)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_work = std::move(work);
    }
    SetEvent(m_workReady);
    WaitForSingleObject(m_workDone, INFINITE);
}

void ApartmentThread::Loop()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (;;) {
        const DWORD wait = MsgWaitForMultipleObjects(1, &m_workReady, FALSE, INFINITE, QS_ALLINPUT);
        if (wait != WAIT_OBJECT_0) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            continue;
        }
        std::function<void()> work;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stop) break;
            work = std::move(m_work);
        }
        if (work) work();
        SetEvent(m_workDone);
    }
    CoUninitialize();
}

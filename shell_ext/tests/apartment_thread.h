#pragma once
// A thread of its own in a single-threaded apartment, as another Explorer window's thread
// is: it runs the work it is given one piece at a time and services its messages (thread
// timers included) while it waits.
#include <windows.h>

#include <functional>
#include <mutex>
#include <thread>

class ApartmentThread {
public:
    ApartmentThread();
    ~ApartmentThread();  // ends the apartment and the thread
    ApartmentThread(const ApartmentThread&) = delete;
    ApartmentThread& operator=(const ApartmentThread&) = delete;

    // Runs work on the thread and returns when it is done.
    void Run(std::function<void()> work);

private:
    void Loop();

    std::mutex m_mutex;
    std::function<void()> m_work;
    bool m_stop = false;
    HANDLE m_workReady;
    HANDLE m_workDone;
    std::thread m_thread;
};

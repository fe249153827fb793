#pragma once
// Points WinInet's pre-configured proxy (the current user's Internet Settings) at a
// local server for the life of the object, so a program that keeps its real vendor URL
// reaches the test server instead; the server then sees proxy-form request targets
// ("POST http://vendor.host/latest/ HTTP/1.1"). The earlier settings are put back on
// destruction. Only sessions opened while the object lives are affected.
#include "tests/support/saved_registry_value.h"

#include <windows.h>

namespace testsupport {

class ScopedWinInetProxy {
public:
    explicit ScopedWinInetProxy(unsigned short port);
    ~ScopedWinInetProxy();
    ScopedWinInetProxy(const ScopedWinInetProxy&) = delete;
    ScopedWinInetProxy& operator=(const ScopedWinInetProxy&) = delete;

private:
    void Notify();

    HKEY m_key = nullptr;
    SavedRegistryValue m_enable;
    SavedRegistryValue m_server;
};

}  // namespace testsupport

#pragma once
// Makes url_recorder.exe (built beside the test programs) the machine's program for
// opening addresses of one URL scheme, for the life of the object, so a test sees the
// addresses that ShellExecuteW opened. The association lives in
// HKLM\Software\Classes\<scheme>\shell\open\command (Wine does not read the HKCU copy);
// the earlier association is put back, and keys that the object created are removed,
// on destruction. Suites that use it must not be PARALLEL_SAFE.
#include "tests/support/saved_registry_value.h"

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

class ScopedUrlRecorder {
public:
    explicit ScopedUrlRecorder(const wchar_t* scheme = L"http");
    ~ScopedUrlRecorder();
    ScopedUrlRecorder(const ScopedUrlRecorder&) = delete;
    ScopedUrlRecorder& operator=(const ScopedUrlRecorder&) = delete;

    // False when the association could not be written.
    bool Active() const { return m_commandKey != nullptr; }
    // False when fewer than count addresses were opened within timeoutMs.
    bool WaitForUrls(size_t count, DWORD timeoutMs) const;
    // The addresses opened so far, in order.
    std::vector<std::wstring> Urls() const;

private:
    std::wstring m_logPath;
    std::wstring m_commandKeyPath;
    std::wstring m_createdKeyPath;  // the topmost key that did not exist before, if any
    HKEY m_commandKey = nullptr;
    SavedRegistryValue m_command;
};

}  // namespace testsupport

#pragma once
// The common ground of the add-in's tests: an apartment thread, the library loaded from its
// test folder (development engine beside it) and registered machine-wide with the Office
// type libraries, no settings key, no statistics data file, and the Outlook double.
#include <gtest/gtest.h>

#include <string>

#include "mail_server.h"
#include "tests/outlook_double/addin_host.h"
#include "tests/outlook_double/outlook_double.h"

namespace mail_server {

// %TEMP%PlenzarMail_data.dat, the add-in's statistics data file.
std::wstring StatisticsDataPath();
// A data file holding one record, "seen" counted once with value 7, then trailingBytes
// of a record cut short (which a save drops, so the file shows whether a save ran).
void WriteStatisticsDataFile(size_t trailingBytes = 0);
// The data file's size in bytes, -1 when there is none.
long long StatisticsDataFileSize();
bool FileExists(const std::wstring& path);
// Stores one number of the settings record.
void StoreSetting(const wchar_t* name, DWORD value);
int TodaysDayOfMonth();
// Dispatches this thread's messages until done() or timeoutMs.
template <typename Done>
bool PumpMessagesUntil(Done done, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return true;
}

class AddinTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Outlook's start as far as the add-in's own work goes: created through the class
    // factory from its registration, OnConnection, the ribbons, OnStartupComplete.
    void StartAddin();

    MailServer server;
    outlook_double::OutlookDouble outlook;
    outlook_double::AddinHost host{outlook};
};

}  // namespace mail_server

#pragma once
// What the ribbon's tests stand on: COM on the test's thread, the add-in's test
// environment (settings, temporary folder, development engine, globals), the Outlook
// double and the host driver with the ribbon's test add-in started (both ribbons loaded).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail_addin/tests/support/addin_test_environment.h"
#include "tests/outlook_double/addin_host.h"

class CComApartment {
public:
    CComApartment() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComApartment()
    {
        if (SUCCEEDED(m_hr))
            CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

private:
    HRESULT m_hr;
};

class RibbonTest : public ::testing::Test {
protected:
    RibbonTest();

    std::vector<std::string> LogLines() const { return m_env.LogLines(); }
    // A new mail open in the active inspector; profile -2 leaves "PlenzarType" unset.
    outlook_double::ComPtr<outlook_double::MailItem> OpenMail(int profile = -2);
    // The item's "PlenzarType" as stored, or -2 when it has none.
    static int StoredProfile(outlook_double::MailItem* item);
    // A control as the ribbon hands it, for ids and tags that no definition has.
    outlook_double::ComPtr<outlook_double::RibbonControl> Control(const std::wstring& id,
                                                                 const std::wstring& tag = L"");

    CComApartment m_com;
    outlook_double::OutlookDouble m_outlook;
    addin_test::AddinTestEnvironment m_env{ m_outlook };
    outlook_double::AddinHost m_host{ m_outlook };
};

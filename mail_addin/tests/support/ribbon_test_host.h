#pragma once
// What the ribbon's tests stand on: COM on the test's thread, an empty settings key, a
// temporary folder of the test's own (so the log starts empty), the Outlook double and
// the host driver with the ribbon's test add-in started (both ribbons loaded).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mail_addin/tests/support/mail_test_settings.h"
#include "mail_addin/tests/support/temp_folder_scope.h"
#include "tests/engine/test_engine.h"
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

    // The texts of the log's lines so far, without their time stamps.
    std::vector<std::string> LogLines() const;
    // A new mail open in the active inspector; profile -2 leaves "PlenzarType" unset.
    outlook_double::ComPtr<outlook_double::MailItem> OpenMail(int profile = -2);
    // The item's "PlenzarType" as stored, or -2 when it has none.
    static int StoredProfile(outlook_double::MailItem* item);
    // A control as the ribbon hands it, for ids and tags that no definition has.
    outlook_double::ComPtr<outlook_double::RibbonControl> Control(const std::wstring& id,
                                                                 const std::wstring& tag = L"");

    CComApartment m_com;
    test_engine::ScopedTempFolder m_temp;
    CTempFolderScope m_tempScope{ m_temp.Path() };
    CMailTestSettings m_settings;
    outlook_double::OutlookDouble m_outlook;
    outlook_double::AddinHost m_host{ m_outlook };
};

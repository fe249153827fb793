#pragma once
// What a test of the add-in's layers runs in: empty settings, a temporary folder of its
// own (so the work folder, the log and the statistics data file are the test's), the
// development engine steered from a folder of its own, and the add-in's globals set up as
// OnConnection sets them and put back afterwards.
#include <windows.h>

#include <string>
#include <vector>

#include "mail_addin/tests/support/mail_test_settings.h"
#include "mail_addin/tests/support/temp_folder_scope.h"
#include "tests/engine/test_engine.h"
#include "tests/outlook_double/outlook_double.h"

namespace addin_test {

class AddinTestEnvironment {
public:
    // Runs InitializeAddIn with Outlook reporting version.
    explicit AddinTestEnvironment(outlook_double::OutlookDouble& outlook,
                                  const std::wstring& version = L"16.0.0.4266");
    // Disconnects every listener and releases the globals; the flags must be clear.
    ~AddinTestEnvironment();
    AddinTestEnvironment(const AddinTestEnvironment&) = delete;
    AddinTestEnvironment& operator=(const AddinTestEnvironment&) = delete;

    // The temporary folder as GetTempPathW reports it now, and the add-in's folders in it.
    const std::wstring& TempFolder() const { return m_tempFolder; }
    std::wstring WorkFolder() const { return m_tempFolder + L"PlenzarMail\\"; }
    std::wstring NotSmallerFolder() const { return WorkFolder() + L"NotSmaller\\"; }
    std::wstring FailFolder() const { return WorkFolder() + L"Fail\\"; }

    // The text of each log line, without its time stamp and tab.
    std::vector<std::string> LogLines() const;
    // The files (not folders) in a folder, by name, sorted.
    static std::vector<std::wstring> FilesIn(const std::wstring& folder);

    void SetEngineBehaviour(const test_engine::Behaviour& behaviour);
    std::vector<test_engine::Call> OptimizeCalls() const;

    // A file with these bytes in a scratch folder, for attaching as the user does.
    std::wstring MakeSourceFile(const std::wstring& name, const std::vector<BYTE>& bytes) const;

private:
    CMailTestSettings m_settings;
    test_engine::ScopedTempFolder m_temp;
    test_engine::ScopedTempFolder m_engineFolder;
    std::wstring m_tempFolder;
    std::wstring m_scratchFolder;
    CTempFolderScope m_tempScope;
    bool m_hadEngineFolderVariable = false;
    std::wstring m_savedEngineFolderVariable;
};

// Bytes that stand for a picture of the given size.
std::vector<BYTE> PictureBytes(size_t size, BYTE seed = 1);
// The attachment's "PlenzarOrig", empty when it has none.
std::wstring KeptNameOf(outlook_double::Attachment* attachment);

}  // namespace addin_test

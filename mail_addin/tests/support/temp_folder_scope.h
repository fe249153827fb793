#pragma once
// Points the process's temporary folder (TMP, which GetTempPathW reads) somewhere else for
// a test, and forgets the log path the add-in computed, so that the next line finds it anew.
#include <windows.h>

#include <string>

#include "mail_addin/work_folder.h"

class CTempFolderScope {
public:
    explicit CTempFolderScope(const std::wstring& folder) {
        wchar_t saved[MAX_PATH + 1] = {};
        m_hadValue = GetEnvironmentVariableW(L"TMP", saved, MAX_PATH + 1) != 0;
        m_saved = saved;
        SetEnvironmentVariableW(L"TMP", folder.c_str());
        g_logFilePath.clear();
    }
    ~CTempFolderScope() {
        SetEnvironmentVariableW(L"TMP", m_hadValue ? m_saved.c_str() : nullptr);
        g_logFilePath.clear();
    }
    CTempFolderScope(const CTempFolderScope&) = delete;
    CTempFolderScope& operator=(const CTempFolderScope&) = delete;

private:
    std::wstring m_saved;
    bool m_hadValue = false;
};

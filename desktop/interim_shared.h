#pragma once
// TEMPORARY: minimal local versions of the shared library's text conversion, version
// string, statistics store and update timer, so the program builds before those land in
// common/. Removed when common/ provides them.
#include "common/plenzar_profile.h"
#include "common/settings.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

class CWideToUtf8 {
public:
    CWideToUtf8(const wchar_t* text, int length = -1)
    {
        int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
        m_text = static_cast<char*>(calloc(size + 1, 1));
        WideCharToMultiByte(CP_UTF8, 0, text, length, m_text, size, nullptr, nullptr);
    }
    ~CWideToUtf8() { free(m_text); }
    operator const char*() const { return m_text; }
private:
    char* m_text;
};
class CUtf8ToWide {
public:
    CUtf8ToWide(const char* text, int length = -1)
    {
        if (length < 0) length = static_cast<int>(strlen(text));
        int n = MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0);
        m_text = static_cast<wchar_t*>(calloc(n + 1, sizeof(wchar_t)));
        MultiByteToWideChar(CP_UTF8, 0, text, length, m_text, n);
    }
    ~CUtf8ToWide() { free(m_text); }
    operator const wchar_t*() const { return m_text; }
private:
    wchar_t* m_text;
};
inline std::string GetModuleVersionString() { return "2.1.0.2"; }

class CUsageStatistics;
inline CUsageStatistics* g_pUsageStatistics;
class CUsageStatistics {
public:
    explicit CUsageStatistics(const wchar_t* name) : m_name(name)
    {
        g_pUsageStatistics = this;
        if (FILE* file = _wfopen(Path().c_str(), L"rb")) {
            char record[72];
            while (fread(record, 1, 72, file) == 72) {
                Entry& entry = m_records[std::string(record, strnlen(record, 64))];
                memcpy(&entry.count, record + 64, 4);
                memcpy(&entry.value, record + 68, 4);
            }
            fclose(file);
        }
    }
    ~CUsageStatistics()
    {
        if (CSettings().productImprovement && !m_records.empty()) {
            if (FILE* file = _wfopen(Path().c_str(), L"wb")) {
                for (const auto& [key, entry] : m_records) {
                    char record[72] = {};
                    memcpy(record, key.data(), key.size() < 63 ? key.size() : 63);
                    memcpy(record + 64, &entry.count, 4);
                    memcpy(record + 68, &entry.value, 4);
                    fwrite(record, 1, 72, file);
                }
                fclose(file);
            }
        }
        g_pUsageStatistics = nullptr;
    }
    void Count(const char* name, int32_t value)
    {
        std::string key(name);
        for (char& c : key) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        m_records[key].count++;
        m_records[key].value += value;
    }
    void CountProfile(PlenzarProfile profile)
    {
        static const char* names[] = { "profile_tiny", "profile_small", "profile_medium", "profile_large", "profile_full" };
        Count(profile >= 0 && profile <= 4 ? names[profile] : "profile_none", 0);
    }
private:
    std::wstring Path() const
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        return std::wstring(temp) + m_name + L"_data.dat";
    }
    struct Entry { int32_t count = 0; int32_t value = 0; };
    std::wstring m_name;
    std::map<std::string, Entry> m_records;
};
inline void CALLBACK UpdateTimerProc(HWND, UINT, UINT_PTR id, DWORD) { KillTimer(nullptr, id); }
inline void StartUpdateTimer() { SetTimer(nullptr, 1, 5000, UpdateTimerProc); }

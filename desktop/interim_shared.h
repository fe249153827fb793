#pragma once
// TEMPORARY: minimal local versions of the shared library's statistics store and update
// timer, so the program builds before those land in common/. Removed when common/
// provides them.
#include "common/plenzar_profile.h"
#include "common/settings.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

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

#pragma once
// TEMPORARY: minimal local versions of the shared library's settings, engine binding,
// text conversion, version string, statistics store and update timer, so the program
// builds before those land in common/. Removed when common/ provides them.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

using PlenzarProfile = int32_t;
constexpr DWORD SETTING_CHECK_FOR_UPDATE = 0x02;
constexpr DWORD SETTING_PRODUCT_IMPROVEMENT = 0x04;
constexpr DWORD SETTING_APP_DEFAULT_PROFILE = 0x40;
constexpr DWORD SETTING_APP_OUTPUT_TO_DESKTOP = 0x80;

struct CSettings {
    int32_t mailDefaultPlenzarProfile = 2, checkForUpdate = 1, productImprovement = 1,
            checkForUpdateLastDate = 0, productImprovementSendData = 0, mailPlenzarOnAdd = 0,
            appDefaultPlenzarProfile = 2, appOutputToDesktop = 0;
    CSettings() { Load(); }
    void Load()
    {
        HKEY key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\PlenzarFile\\Settings", 0, KEY_READ, &key))
            return;
        Get(key, L"checkForUpdate", checkForUpdate);
        Get(key, L"productImprovement", productImprovement);
        Get(key, L"appDefaultPlenzarProfile", appDefaultPlenzarProfile);
        Get(key, L"appOutputToDesktop", appOutputToDesktop);
        RegCloseKey(key);
    }
    void Save(DWORD mask)
    {
        HKEY key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\PlenzarFile\\Settings", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr))
            return;
        if (mask & 0x04) Set(key, L"productImprovement", productImprovement);
        if (mask & 0x02) Set(key, L"checkForUpdate", checkForUpdate);
        if (mask & 0x40) Set(key, L"appDefaultPlenzarProfile", appDefaultPlenzarProfile);
        if (mask & 0x80) Set(key, L"appOutputToDesktop", appOutputToDesktop);
        RegCloseKey(key);
    }
    static void Get(HKEY key, LPCWSTR name, int32_t& field)
    {
        DWORD value = 0, size = 4;
        if (!RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size))
            field = static_cast<int32_t>(value);
    }
    static void Set(HKEY key, LPCWSTR name, int32_t field)
    {
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&field), 4);
    }
};

struct EngineFunctionTable {
    int (*Optimize)(const wchar_t*, wchar_t*, int, PlenzarProfile);
    int (*IsSupported)(const wchar_t*);
};
inline HMODULE g_hEngineModule;
inline EngineFunctionTable g_engineFunctions;
inline bool LoadEngine()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    wcscpy(wcsrchr(path, L'\\') + 1, L"Plenzar.dll");
    g_hEngineModule = LoadLibraryW(path);
    if (!g_hEngineModule) return false;
    auto handshake = reinterpret_cast<EngineFunctionTable* (*)()>(GetProcAddress(g_hEngineModule, "Handshake"));
    if (!handshake || !handshake()) return false;
    g_engineFunctions = *handshake();
    return g_engineFunctions.Optimize && g_engineFunctions.IsSupported;
}
inline void UnloadEngine()
{
    if (g_hEngineModule) FreeLibrary(g_hEngineModule);
    g_hEngineModule = nullptr;
    g_engineFunctions = {};
}

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

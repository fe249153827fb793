#pragma once
// Running PlenzarFile.exe under test: a scratch folder with a copy of the program and
// an engine beside it, the settings key, and the statistics data file.
#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

bool FileExists(const std::wstring& path);
void WriteFile(const std::wstring& path, const std::string& contents);
std::string ReadFile(const std::wstring& path);

// A started program; its handles are closed at the end, and a program still running
// then is ended.
class RunningProgram {
public:
    RunningProgram(const std::wstring& exe, const std::vector<std::wstring>& arguments,
                   const std::wstring& workingFolder);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return m_process.hProcess != nullptr; }
    DWORD ProcessId() const { return m_process.dwProcessId; }
    // The exit code, or nothing when it has not ended within the time.
    std::optional<DWORD> WaitForExit(DWORD milliseconds = 30000);
    // The program's top-level dialog with this caption, once it is shown.
    HWND WaitForDialog(const wchar_t* caption, DWORD milliseconds = 30000) const;

private:
    PROCESS_INFORMATION m_process = {};
};

// Runs the program to its end; the exit code, or nothing when it hangs.
std::optional<DWORD> RunToEnd(const std::wstring& exe, const std::vector<std::wstring>& arguments,
                              const std::wstring& workingFolder);

// HKCU\Software\PlenzarFile\Settings, removed on construction and destruction.
class SettingsKeyScope {
public:
    SettingsKeyScope();
    ~SettingsKeyScope();
    SettingsKeyScope(const SettingsKeyScope&) = delete;
    SettingsKeyScope& operator=(const SettingsKeyScope&) = delete;

    void Set(const wchar_t* name, int32_t value) const;
    std::optional<int32_t> Get(const wchar_t* name) const;
};

// The statistics data file of the program, removed on construction and destruction.
class DataFileScope {
public:
    DataFileScope();
    ~DataFileScope();
    DataFileScope(const DataFileScope&) = delete;
    DataFileScope& operator=(const DataFileScope&) = delete;

    const std::wstring& Path() const { return m_path; }
    bool Exists() const { return FileExists(m_path); }
    struct Counts {
        int32_t count;
        int32_t value;
    };
    // The records of the file by event name; empty when there is no file.
    std::map<std::string, Counts> Records() const;

private:
    std::wstring m_path;
};

#include "desktop/tests/program_run.h"

#include "tests/support/dialog_driver.h"

#include <cstring>
#include <cstdio>

namespace {

const wchar_t kSettingsKey[] = L"Software\\PlenzarFile\\Settings";
constexpr size_t kRecordBytes = 72;
constexpr size_t kNameBytes = 64;

std::wstring Quote(const std::wstring& argument)
{
    return L"\"" + argument + L"\"";
}

}  // namespace

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteFile(const std::wstring& path, const std::string& contents)
{
    if (FILE* file = _wfopen(path.c_str(), L"wb")) {
        fwrite(contents.data(), 1, contents.size(), file);
        fclose(file);
    }
}

std::string ReadFile(const std::wstring& path)
{
    std::string contents;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        size_t count;
        while ((count = fread(buffer, 1, sizeof(buffer), file)) > 0)
            contents.append(buffer, count);
        fclose(file);
    }
    return contents;
}

RunningProgram::RunningProgram(const std::wstring& exe, const std::vector<std::wstring>& arguments,
                               const std::wstring& workingFolder)
{
    std::wstring commandLine = Quote(exe);
    for (const std::wstring& argument : arguments)
        commandLine += L" " + Quote(argument);
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = { sizeof(startup) };
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &m_process))
        m_process = {};
}

RunningProgram::~RunningProgram()
{
    if (!m_process.hProcess)
        return;
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
}

std::optional<DWORD> RunningProgram::WaitForExit(DWORD milliseconds)
{
    if (!m_process.hProcess || WaitForSingleObject(m_process.hProcess, milliseconds) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

HWND RunningProgram::WaitForDialog(const wchar_t* caption, DWORD milliseconds) const
{
    return testsupport::WaitForDialog(caption, m_process.dwProcessId, milliseconds, m_process.hProcess);
}

std::optional<DWORD> RunToEnd(const std::wstring& exe, const std::vector<std::wstring>& arguments,
                              const std::wstring& workingFolder)
{
    RunningProgram program(exe, arguments, workingFolder);
    return program.WaitForExit();
}

SettingsKeyScope::SettingsKeyScope()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

SettingsKeyScope::~SettingsKeyScope()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

void SettingsKeyScope::Set(const wchar_t* name, int32_t value) const
{
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, REG_DWORD, &value, sizeof(value));
}

std::optional<int32_t> SettingsKeyScope::Get(const wchar_t* name) const
{
    int32_t value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

DataFileScope::DataFileScope()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    m_path = std::wstring(temp) + L"PlenzarFile_data.dat";
    DeleteFileW(m_path.c_str());
}

DataFileScope::~DataFileScope()
{
    DeleteFileW(m_path.c_str());
}

std::map<std::string, DataFileScope::Counts> DataFileScope::Records() const
{
    const std::string bytes = ReadFile(m_path);
    std::map<std::string, Counts> records;
    for (size_t offset = 0; offset + kRecordBytes <= bytes.size(); offset += kRecordBytes) {
        const char* record = bytes.data() + offset;
        Counts counts;
        std::memcpy(&counts.count, record + kNameBytes, 4);
        std::memcpy(&counts.value, record + kNameBytes + 4, 4);
        records[std::string(record, strnlen(record, kNameBytes))] = counts;
    }
    return records;
}

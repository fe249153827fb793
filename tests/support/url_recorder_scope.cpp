#include "tests/support/url_recorder_scope.h"

#include "tests/support/program_folder.h"

#include <fstream>
#include <sstream>

namespace testsupport {

namespace {

std::wstring FreshTempFile()
{
    wchar_t folder[MAX_PATH] = {};
    wchar_t file[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    if (!GetTempFileNameW(folder, L"url", 0, file))
        return std::wstring();
    DeleteFileW(file);  // the recorder creates it on the first address
    return file;
}

bool KeyExists(const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::wstring FromUtf8(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

}  // namespace

ScopedUrlRecorder::ScopedUrlRecorder(const wchar_t* scheme)
{
    m_logPath = FreshTempFile();
    if (m_logPath.empty())
        return;
    const std::wstring parts[] = {std::wstring(L"Software\\Classes\\") + scheme, L"\\shell", L"\\open",
                                  L"\\command"};
    for (const std::wstring& part : parts) {
        m_commandKeyPath += part;
        if (m_createdKeyPath.empty() && !KeyExists(m_commandKeyPath))
            m_createdKeyPath = m_commandKeyPath;
    }
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, m_commandKeyPath.c_str(), 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &m_commandKey, nullptr) != ERROR_SUCCESS) {
        m_commandKey = nullptr;
        return;
    }
    m_command = SavedRegistryValue::Save(m_commandKey, nullptr);
    const std::wstring command =
        L"\"" + BesideProgram(L"url_recorder.exe") + L"\" \"" + m_logPath + L"\" \"%1\"";
    RegSetValueExW(m_commandKey, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

ScopedUrlRecorder::~ScopedUrlRecorder()
{
    if (m_commandKey) {
        m_command.Restore(m_commandKey, nullptr);
        RegCloseKey(m_commandKey);
    }
    if (!m_createdKeyPath.empty())
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_createdKeyPath.c_str());
    if (!m_logPath.empty())
        DeleteFileW(m_logPath.c_str());
}

bool ScopedUrlRecorder::WaitForUrls(size_t count, DWORD timeoutMs) const
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (Urls().size() < count) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(20);
    }
    return true;
}

std::vector<std::wstring> ScopedUrlRecorder::Urls() const
{
    std::vector<std::wstring> urls;
    std::ifstream log(m_logPath.c_str(), std::ios::binary);
    std::string line;
    // Only whole lines: the recorder may be writing the last one.
    while (std::getline(log, line) && !log.eof())
        urls.push_back(FromUtf8(line));
    return urls;
}

}  // namespace testsupport

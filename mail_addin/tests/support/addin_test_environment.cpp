#include "mail_addin/tests/support/addin_test_environment.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/text_conversion.h"
#include "mail_addin/addin_globals.h"
#include "mail_addin/event_sink.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/work_folder.h"
#include "tests/outlook_double/file_bytes.h"

namespace addin_test {

namespace {
constexpr wchar_t kEngineFolderVariable[] = L"PLENZAR_TEST_ENGINE_DIR";
}

AddinTestEnvironment::AddinTestEnvironment(outlook_double::OutlookDouble& outlook, const std::wstring& version)
    : m_tempFolder(m_temp.MakeSubFolder(L"temp") + L"\\"),
      m_scratchFolder(m_temp.MakeSubFolder(L"sources") + L"\\"),
      m_tempScope(m_tempFolder)
{
    wchar_t saved[MAX_PATH + 1] = {};
    m_hadEngineFolderVariable = GetEnvironmentVariableW(kEngineFolderVariable, saved, MAX_PATH + 1) != 0;
    m_savedEngineFolderVariable = saved;
    SetEnvironmentVariableW(kEngineFolderVariable, m_engineFolder.Path().c_str());

    outlook.App().SetVersion(version);
    InitializeAddIn(outlook.ApplicationDispatch());
}

AddinTestEnvironment::~AddinTestEnvironment()
{
    g_eventListeners.DisconnectAll();
    ReleaseGlobalObjects();
    SetEnvironmentVariableW(kEngineFolderVariable,
                            m_hadEngineFolderVariable ? m_savedEngineFolderVariable.c_str() : nullptr);
}

std::vector<std::string> AddinTestEnvironment::LogLines() const
{
    std::ifstream log(CWideToUtf8((WorkFolder() + L"Log.txt").c_str()).c_str(), std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find("\r\n", start);
        if (end == std::string::npos)
            end = content.size();
        const std::string line = content.substr(start, end - start);
        const size_t tab = line.find('\t');
        lines.push_back(tab == std::string::npos ? line : line.substr(tab + 1));
        start = end + 2;
    }
    return lines;
}

std::vector<std::wstring> AddinTestEnvironment::FilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void AddinTestEnvironment::SetEngineBehaviour(const test_engine::Behaviour& behaviour)
{
    test_engine::SetBehaviour(m_engineFolder.Path(), behaviour);
}

std::vector<test_engine::Call> AddinTestEnvironment::OptimizeCalls() const
{
    std::vector<test_engine::Call> calls;
    for (const test_engine::Call& call : test_engine::ReadCalls(m_engineFolder.Path())) {
        if (call.entry == L"Optimize")
            calls.push_back(call);
    }
    return calls;
}

std::wstring AddinTestEnvironment::MakeSourceFile(const std::wstring& name, const std::vector<BYTE>& bytes) const
{
    const std::wstring path = m_scratchFolder + name;
    outlook_double::WriteFileBytes(path, bytes);
    return path;
}

std::vector<BYTE> PictureBytes(size_t size, BYTE seed)
{
    std::vector<BYTE> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<BYTE>(seed + i * 7);
    return bytes;
}

std::wstring KeptNameOf(outlook_double::Attachment* attachment)
{
    const outlook_double::Variant* value = attachment->Property(PLENZAR_ORIG_SCHEMA_NAME);
    return value ? value->AsText() : std::wstring();
}

}  // namespace addin_test

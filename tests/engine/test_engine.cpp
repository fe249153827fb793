#include "tests/engine/test_engine.h"

#include "tests/engine/control_format.h"
#include "tests/support/program_folder.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdlib>

namespace test_engine {

using namespace test_engine_format;

namespace {

const wchar_t* VariantFolder(Variant variant)
{
    switch (variant) {
    case Variant::Working: return L"";
    case Variant::NoHandshake: return L"\\broken_engines\\no_handshake";
    case Variant::NullTable: return L"\\broken_engines\\null_table";
    case Variant::NullOptimize: return L"\\broken_engines\\null_optimize";
    case Variant::NullIsSupported: return L"\\broken_engines\\null_is_supported";
    }
    return L"";
}

const char* ActionName(OptimizeAction action)
{
    switch (action) {
    case OptimizeAction::WriteOutput: return kActionWrite;
    case OptimizeAction::Fail: return kActionFail;
    case OptimizeAction::RewriteExtension: return kActionRewrite;
    case OptimizeAction::Overfill: return kActionOverfill;
    }
    return kActionWrite;
}

} // namespace

std::wstring BuiltEnginePath(Variant variant)
{
    return testsupport::ProgramFolder() + VariantFolder(variant) + L"\\Plenzar.dll";
}

bool PlaceEngine(Variant variant, const std::wstring& folder)
{
    return CopyFileW(BuiltEnginePath(variant).c_str(), (folder + L"\\Plenzar.dll").c_str(), FALSE) != FALSE;
}

std::wstring ControlFilePath(const std::wstring& folder)
{
    return folder + L"\\" + kControlFileName;
}

std::wstring CallRecordPath(const std::wstring& folder)
{
    return folder + L"\\" + kCallRecordFileName;
}

bool SetBehaviour(const std::wstring& folder, const Behaviour& behaviour)
{
    std::string supported;
    for (const std::wstring& extension : behaviour.supportedExtensions)
        supported += (supported.empty() ? "" : " ") + ToUtf8(extension);
    std::string text = std::string(kSupportedKey) + "=" + supported + "\n"
        + kOptimizeKey + "=" + ActionName(behaviour.optimize) + "\n"
        + kFailureResultKey + "=" + std::to_string(behaviour.failureResult) + "\n"
        + kRewriteExtensionKey + "=" + ToUtf8(behaviour.rewriteExtension) + "\n"
        + kWaitBeforeWriteKey + "=" + std::to_string(behaviour.waitBeforeWriteMs) + "\n";
    return WriteFileText(ControlFilePath(folder), text);
}

std::vector<Call> ReadCalls(const std::wstring& folder)
{
    std::vector<Call> calls;
    std::string text;
    if (!ReadFileText(CallRecordPath(folder), text))
        return calls;
    for (const std::string& line : SplitLines(text)) {
        std::vector<std::string> fields = SplitFields(line);
        Call call;
        call.entry = FromUtf8(fields[0]);
        if (fields.size() > 1)
            call.path = FromUtf8(fields[1]);
        if (fields.size() > 4) {
            call.proposedOutput = FromUtf8(fields[2]);
            call.capacity = std::atoi(fields[3].c_str());
            call.profile = std::atoi(fields[4].c_str());
        }
        calls.push_back(call);
    }
    return calls;
}

void Reset(const std::wstring& folder)
{
    DeleteFileW(ControlFilePath(folder).c_str());
    DeleteFileW(CallRecordPath(folder).c_str());
}

ScopedTempFolder::ScopedTempFolder()
{
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    static LONG counter = 0;
    for (;;) {
        m_path = std::wstring(temp) + L"plenzar-test-" + std::to_wstring(GetCurrentProcessId()) + L"-"
            + std::to_wstring(InterlockedIncrement(&counter));
        if (CreateDirectoryW(m_path.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
}

ScopedTempFolder::~ScopedTempFolder()
{
    // SHFileOperationW wants a double-NUL-terminated list.
    std::wstring from = m_path + L'\0';
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

std::wstring ScopedTempFolder::MakeSubFolder(const std::wstring& relative) const
{
    std::wstring path = m_path;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos)
            end = relative.size();
        path += L"\\" + relative.substr(start, end - start);
        CreateDirectoryW(path.c_str(), nullptr);
        start = end + 1;
    }
    return path;
}

} // namespace test_engine

// Development engine for tests. It does no image work: "optimizing" copies the source to
// the output path. Its behaviour comes from a control file read at every call, and it
// appends every call with its arguments to a record (see control_format.h).
//
// Built several times: TEST_ENGINE_VARIANT selects a broken handshake for the failure
// cases of the loader.
#include "classlib/module_handle.h"
#include "common/engine.h"
#include "tests/engine/control_format.h"

#include <cwctype>
#include <sstream>
#include <string>

#define VARIANT_WORKING 0
#define VARIANT_NO_HANDSHAKE 1
#define VARIANT_NULL_TABLE 2
#define VARIANT_NULL_OPTIMIZE 3
#define VARIANT_NULL_IS_SUPPORTED 4

#ifndef TEST_ENGINE_VARIANT
#define TEST_ENGINE_VARIANT VARIANT_WORKING
#endif

using namespace test_engine_format;

namespace {

std::wstring OwnFolder()
{
    wchar_t path[32768] = {};
    DWORD length = GetModuleFileNameW(AtlModuleHandle(), path, static_cast<DWORD>(std::size(path)));
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

std::wstring ControlFolder()
{
    wchar_t value[32768];
    DWORD length = GetEnvironmentVariableW(kFolderVariable, value, static_cast<DWORD>(std::size(value)));
    if (length > 0 && length < std::size(value))
        return std::wstring(value, length);
    return OwnFolder();
}

struct Control {
    std::string supported = kDefaultSupported;
    std::string optimize = kActionWrite;
    int failureResult = 1;
    std::string rewriteExtension = ".png";
    int waitBeforeWriteMs = 0;
};

Control ReadControl(const std::wstring& folder)
{
    Control control;
    std::string text;
    if (!ReadFileText(folder + L"\\" + kControlFileName, text))
        return control;
    for (const std::string& line : SplitLines(text)) {
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        std::string value = line.substr(equals + 1);
        if (key == kSupportedKey)
            control.supported = value;
        else if (key == kOptimizeKey)
            control.optimize = value;
        else if (key == kFailureResultKey)
            control.failureResult = std::atoi(value.c_str());
        else if (key == kRewriteExtensionKey)
            control.rewriteExtension = value;
        else if (key == kWaitBeforeWriteKey)
            control.waitBeforeWriteMs = std::atoi(value.c_str());
    }
    return control;
}

void Record(const std::wstring& folder, std::initializer_list<std::string> fields)
{
    std::string line;
    for (const std::string& field : fields)
        line += (line.empty() ? "" : "\t") + EscapeField(field);
    AppendFileText(folder + L"\\" + kCallRecordFileName, line + "\n");
}

// From the last dot of the file name on ("" when there is none), lower-cased.
std::wstring ExtensionOf(const std::wstring& path)
{
    size_t nameStart = path.find_last_of(L"\\/");
    size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || (nameStart != std::wstring::npos && dot < nameStart))
        return {};
    std::wstring extension = path.substr(dot);
    for (wchar_t& c : extension)
        c = static_cast<wchar_t>(std::towlower(c));
    return extension;
}

bool Accepts(const std::string& supported, const std::wstring& name)
{
    std::wstring extension = ExtensionOf(name);
    std::istringstream list(supported);
    std::string accepted;
    while (list >> accepted) {
        std::wstring wide = FromUtf8(accepted);
        for (wchar_t& c : wide)
            c = static_cast<wchar_t>(std::towlower(c));
        if (accepted == "*" || (!extension.empty() && wide == extension))
            return true;
    }
    return false;
}

// Replaces the output's extension in place; false when the new path does not fit.
bool RewriteExtension(wchar_t* destination, size_t capacity, const std::string& newExtension)
{
    std::wstring path(destination);
    std::wstring extension = ExtensionOf(path);
    std::wstring rewritten = path.substr(0, path.size() - extension.size()) + FromUtf8(newExtension);
    if (rewritten.size() + 1 > capacity)
        return false;
    rewritten.copy(destination, rewritten.size());
    destination[rewritten.size()] = L'\0';
    return true;
}

[[maybe_unused]] int PLENZAR_ENGINE_CALL Optimize(const wchar_t* source, wchar_t* destination, std::int32_t capacity,
                                 PlenzarProfile profile)
{
    constexpr int kBadArguments = 2;
    constexpr int kNoRoom = 3;
    constexpr int kCopyFailed = 4;
    std::wstring folder = ControlFolder();
    Control control = ReadControl(folder);
    std::wstring proposed = destination && capacity > 0 ? std::wstring(destination, wcsnlen(destination, capacity)) : L"";
    Record(folder, {kOptimizeEntry, ToUtf8(source ? source : L""), ToUtf8(proposed), std::to_string(capacity),
                    std::to_string(profile)});
    if (!source || !destination || capacity < 1 || proposed.size() >= static_cast<size_t>(capacity))
        return kBadArguments;

    if (control.optimize == kActionFail)
        return control.failureResult;
    if (control.optimize == kActionOverfill) {
        for (std::int32_t i = 0; i < capacity; ++i)
            destination[i] = L'x';
        return 0;
    }
    if (control.optimize == kActionRewrite
        && !RewriteExtension(destination, static_cast<size_t>(capacity), control.rewriteExtension))
        return kNoRoom;
    if (control.waitBeforeWriteMs > 0)
        Sleep(static_cast<DWORD>(control.waitBeforeWriteMs));
    return CopyFileW(source, destination, FALSE) ? 0 : kCopyFailed;
}

[[maybe_unused]] int PLENZAR_ENGINE_CALL IsSupported(const wchar_t* fileName)
{
    std::wstring folder = ControlFolder();
    std::wstring name = fileName ? fileName : L"";
    Record(folder, {kIsSupportedEntry, ToUtf8(name)});
    return fileName && Accepts(ReadControl(folder).supported, name) ? 1 : 0;
}

#if TEST_ENGINE_VARIANT == VARIANT_NULL_OPTIMIZE
const EngineFunctionTable kTable = {nullptr, &IsSupported};
#elif TEST_ENGINE_VARIANT == VARIANT_NULL_IS_SUPPORTED
const EngineFunctionTable kTable = {&Optimize, nullptr};
#else
const EngineFunctionTable kTable = {&Optimize, &IsSupported};
#endif

} // namespace

#if TEST_ENGINE_VARIANT == VARIANT_NO_HANDSHAKE
// The entries are exported under their own names, but there is no handshake.
extern "C" int PLENZAR_ENGINE_CALL EngineOptimize(const wchar_t* source, wchar_t* destination,
                                                  std::int32_t capacity, PlenzarProfile profile)
{
    return Optimize(source, destination, capacity, profile);
}
extern "C" int PLENZAR_ENGINE_CALL EngineIsSupported(const wchar_t* fileName)
{
    return IsSupported(fileName);
}
#else
extern "C" const EngineFunctionTable* PLENZAR_ENGINE_CALL Handshake()
{
#if TEST_ENGINE_VARIANT == VARIANT_NULL_TABLE
    return nullptr;
#else
    return &kTable;
#endif
}
#endif

#include "common/engine.h"

#include "classlib/module_handle.h"

#include <cwchar>
#include <mutex>

HMODULE g_hEngineModule = nullptr;
EngineFunctionTable g_engineFunctions = {nullptr, nullptr};

namespace {

// Hosts such as Explorer may ask for the engine on several threads at once.
std::mutex g_engineLock;

bool BothEntriesSet()
{
    return g_engineFunctions.Optimize && g_engineFunctions.IsSupported;
}

// Builds "<folder of this module>\Plenzar.dll" in path; false when it does not fit.
bool BuildEnginePath(wchar_t (&path)[MAX_PATH])
{
    DWORD length = GetModuleFileNameW(AtlModuleHandle(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false; // a cut module path would name the wrong folder
    path[length] = L'\0';
    wchar_t* lastSeparator = nullptr;
    for (wchar_t* p = path; *p; ++p) {
        if (*p == L'\\' || *p == L'/')
            lastSeparator = p;
    }
    if (!lastSeparator)
        return false;
    size_t folderLength = static_cast<size_t>(lastSeparator - path) + 1;
    int written = _snwprintf(path + folderLength, MAX_PATH - folderLength, L"%ls.dll", kEngineBaseName);
    return written >= 0 && static_cast<size_t>(written) < MAX_PATH - folderLength;
}

} // namespace

bool LoadEngine() noexcept
{
    const std::lock_guard<std::mutex> lock(g_engineLock);
    if (g_hEngineModule)
        return BothEntriesSet();

    wchar_t path[MAX_PATH] = {};
    if (!BuildEnginePath(path))
        return false;
    g_hEngineModule = LoadLibraryW(path);
    if (!g_hEngineModule)
        return false;

    auto handshake = reinterpret_cast<EngineHandshakeFunction>(
        reinterpret_cast<void*>(GetProcAddress(g_hEngineModule, kEngineHandshakeExport)));
    if (!handshake)
        return false;
    const EngineFunctionTable* table = handshake();
    if (!table)
        return false;
    g_engineFunctions.Optimize = table->Optimize;
    if (!g_engineFunctions.Optimize)
        return false;
    g_engineFunctions.IsSupported = table->IsSupported;
    return g_engineFunctions.IsSupported != nullptr;
}

void UnloadEngine() noexcept
{
    const std::lock_guard<std::mutex> lock(g_engineLock);
    HMODULE module = g_hEngineModule;
    // Cleared before the library goes, so no caller picks up an entry into freed code.
    g_hEngineModule = nullptr;
    g_engineFunctions = {nullptr, nullptr};
    if (module)
        FreeLibrary(module);
}

CEngine::CEngine() noexcept
{
    LoadEngine();
}

int CEngine::Optimize(const wchar_t* source, wchar_t* destination, std::int32_t capacity,
                      PlenzarProfile profile) noexcept
{
    constexpr int kNoOutput = 1;
    if (!g_engineFunctions.Optimize || !source || !destination || capacity < 1)
        return kNoOutput;
    int result = g_engineFunctions.Optimize(source, destination, capacity, profile);
    // The caller reads the output path back from the buffer: never let it run past the end.
    if (!wmemchr(destination, L'\0', static_cast<size_t>(capacity))) {
        destination[0] = L'\0';
        return kNoOutput;
    }
    return result;
}

bool CEngine::IsSupported(const wchar_t* fileName) noexcept
{
    return g_engineFunctions.IsSupported && fileName && g_engineFunctions.IsSupported(fileName) == 1;
}

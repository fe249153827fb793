// Interim binding: loads Plenzar.dll from this library's folder and asks it through the
// two entries of its Handshake table. To be replaced by the shared library's LoadEngine
// and g_engineFunctions.
#include "shell_ext/engine_link.h"

#include "classlib/com_module.h"

#include <string>

namespace shell_engine {
namespace {

struct EngineTable {
    int(__cdecl* optimize)(LPCWSTR source, LPWSTR destination, int capacity, int profile);
    int(__cdecl* isSupported)(LPCWSTR path);
};

HMODULE g_engine = nullptr;
EngineTable g_functions = {};

}  // namespace

bool Load()
{
    if (g_engine) return g_functions.optimize && g_functions.isSupported;
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(AtlModuleHandle(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    std::wstring enginePath(path, length);
    enginePath.erase(enginePath.find_last_of(L'\\') + 1);
    enginePath += L"Plenzar.dll";
    g_engine = LoadLibraryW(enginePath.c_str());
    if (!g_engine) return false;
    using Handshake = const EngineTable*(__cdecl*)();
    const auto handshake = reinterpret_cast<Handshake>(reinterpret_cast<void*>(GetProcAddress(g_engine, "Handshake")));
    const EngineTable* table = handshake ? handshake() : nullptr;
    if (!table) return false;
    g_functions = *table;
    return g_functions.optimize && g_functions.isSupported;
}

bool Accepts(LPCWSTR path) { return g_functions.isSupported && g_functions.isSupported(path) == 1; }

int Optimize(LPCWSTR source, LPWSTR destination, int capacity, int profile)
{
    return g_functions.optimize ? g_functions.optimize(source, destination, capacity, profile) : 1;
}

}  // namespace shell_engine

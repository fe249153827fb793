// Benchmark (not a test): Initialize and QueryContextMenu for a selection of 1,000 files,
// against a bare loop of the same IsSupported calls into the same (bare) engine.
//   wine build/i686/bin/shell_ext_bench.exe
#include "common/engine.h"
#include "drop_data_object.h"
#include "shell_server.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 1000;
constexpr int kRounds = 200;

double Seconds(LARGE_INTEGER start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

int wmain()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ShellServer server(L"shell_ext_bench");
    if (!server.Loaded()) return 1;
    std::vector<std::wstring> paths;
    for (int i = 0; i < kFiles; ++i)
        paths.push_back(L"C:\\pictures\\holiday " + std::to_wstring(i) + (i % 4 == 0 ? L".txt" : L".jpg"));

    ComPtr<IShellExtInit> init;
    ComPtr<IContextMenu> menu;
    ComPtr<IDataObject> data;
    *data.ReleaseAndGetAddressOf() = CreateDropDataObject(paths);
    if (FAILED(server.CreateHandler(init.ReleaseAndGetAddressOf())) || FAILED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(menu.ReleaseAndGetAddressOf()))))
        return 1;

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    for (int round = 0; round < kRounds; ++round) {
        init->Initialize(nullptr, data.Get(), nullptr);
        HMENU host = CreatePopupMenu();
        menu->QueryContextMenu(host, 0, 1, 100, CMF_NORMAL);
        DestroyMenu(host);
    }
    const double handler = Seconds(start) / kRounds;

    const std::wstring enginePath = server.Folder() + L"\\Plenzar.dll";
    HMODULE engine = LoadLibraryW(enginePath.c_str());
    const auto handshake = reinterpret_cast<EngineHandshakeFunction>(
        reinterpret_cast<void*>(GetProcAddress(engine, kEngineHandshakeExport)));
    if (!handshake) return 1;
    const EngineFunctionTable* table = handshake();
    volatile int accepted = 0;
    QueryPerformanceCounter(&start);
    for (int round = 0; round < kRounds; ++round)
        for (const auto& path : paths) accepted += table->IsSupported(path.c_str());
    const double bare = Seconds(start) / kRounds;

    std::printf("Initialize + QueryContextMenu, %d files: %.3f ms; bare IsSupported loop: %.3f ms; ratio %.1f\n",
                kFiles, handler * 1000, bare * 1000, handler / bare);
    menu.Reset();
    init.Reset();
    data.Reset();
    CoUninitialize();
    return 0;
}

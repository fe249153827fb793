// Benchmark (not a test): Initialize and QueryContextMenu for a selection of each given size
// (1,000 files when none is given), against a bare loop of the same IsSupported calls into
// the same (bare) engine, and how the handler's time grows from one size to the next.
//   wine build/i686/bin/shell_ext_bench.exe 1000 10000 100000
#include "common/engine.h"
#include "drop_data_object.h"
#include "shell_server.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr int kFilesPerSize = 2000000;  // rounds of a size: this many files in all, at least kMinRounds
constexpr int kMinRounds = 10;

double Seconds(LARGE_INTEGER start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

const EngineFunctionTable* BareEngine(const ShellServer& server)
{
    HMODULE engine = LoadLibraryW((server.Folder() + L"\\Plenzar.dll").c_str());
    const auto handshake = reinterpret_cast<EngineHandshakeFunction>(
        reinterpret_cast<void*>(GetProcAddress(engine, kEngineHandshakeExport)));
    return handshake ? handshake() : nullptr;
}

struct Timing {
    double handler;  // seconds per Initialize + QueryContextMenu
    double bare;     // seconds per loop of IsSupported over the same paths
};

bool Measure(const ShellServer& server, const EngineFunctionTable& engine, int files, Timing& timing)
{
    std::vector<std::wstring> paths;
    for (int i = 0; i < files; ++i)
        paths.push_back(L"C:\\pictures\\holiday " + std::to_wstring(i) + (i % 4 == 0 ? L".txt" : L".jpg"));
    const int rounds = std::max(kMinRounds, kFilesPerSize / files);

    ComPtr<IShellExtInit> init;
    ComPtr<IContextMenu> menu;
    ComPtr<IDataObject> data;
    *data.ReleaseAndGetAddressOf() = CreateDropDataObject(paths);
    if (FAILED(server.CreateHandler(init.ReleaseAndGetAddressOf())) ||
        FAILED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(menu.ReleaseAndGetAddressOf()))))
        return false;
    if (init->Initialize(nullptr, data.Get(), nullptr) != S_OK) return false;  // loads the engine

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    for (int round = 0; round < rounds; ++round) {
        init->Initialize(nullptr, data.Get(), nullptr);
        HMENU host = CreatePopupMenu();
        menu->QueryContextMenu(host, 0, 1, 100, CMF_NORMAL);
        DestroyMenu(host);
    }
    timing.handler = Seconds(start) / rounds;

    volatile int accepted = 0;
    QueryPerformanceCounter(&start);
    for (int round = 0; round < rounds; ++round)
        for (const auto& path : paths) accepted = accepted + engine.IsSupported(path.c_str());
    timing.bare = Seconds(start) / rounds;
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) sizes.push_back(static_cast<int>(std::wcstol(argv[i], nullptr, 10)));
    if (sizes.empty()) sizes.push_back(1000);
    if (std::any_of(sizes.begin(), sizes.end(), [](int files) { return files <= 0; })) return 2;

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = 0;
    {
        ShellServer server(L"shell_ext_bench");
        const EngineFunctionTable* engine = server.Loaded() ? BareEngine(server) : nullptr;
        Timing earlier = {};
        for (size_t i = 0; engine && i < sizes.size(); ++i) {
            Timing timing;
            if (!Measure(server, *engine, sizes[i], timing)) {
                result = 1;
                break;
            }
            std::printf("Initialize + QueryContextMenu, %d files: %.3f ms; bare IsSupported loop: %.3f ms; ratio %.1f\n",
                        sizes[i], timing.handler * 1000, timing.bare * 1000, timing.handler / timing.bare);
            if (i > 0)
                std::printf("  %.1f times the files: %.1f times the handler's time\n",
                            double(sizes[i]) / sizes[i - 1], timing.handler / earlier.handler);
            earlier = timing;
        }
        if (!engine) result = 1;
    }
    CoUninitialize();
    return result;
}

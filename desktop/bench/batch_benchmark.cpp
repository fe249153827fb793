// Times PlenzarFile.exe on a batch of 1,000 files with an engine that writes nothing,
// against the same engine calls made in a bare loop, and prints the ratio.
// Run from bin/bench/, where PlenzarFile.exe and the bare engine lie side by side.
#include "common/engine.h"
#include "tests/support/program_folder.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 1000;
constexpr int kOutputChars = 260;

using Clock = std::chrono::steady_clock;

double RunSeconds(const std::wstring& commandLine)
{
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    STARTUPINFOW startup = { sizeof(startup) };
    PROCESS_INFORMATION process = {};
    const auto start = Clock::now();
    if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return seconds;
}

}  // namespace

int wmain()
{
    const std::wstring folder = testsupport::ProgramFolder() + L"\\";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring work = std::wstring(temp) + L"plenzar_batch_benchmark\\";
    CreateDirectoryW(work.c_str(), nullptr);

    std::vector<std::wstring> files;
    std::wstring commandLine = L"\"" + folder + L"PlenzarFile.exe\"";
    for (int i = 0; i < kFiles; ++i) {
        files.push_back(work + L"p" + std::to_wstring(i) + L".jpg");
        HANDLE file = CreateFileW(files.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, "benchmark", 9, &written, nullptr);
        CloseHandle(file);
        commandLine += L" \"" + files.back() + L"\"";
    }

    HMODULE engine = LoadLibraryW((folder + L"Plenzar.dll").c_str());
    auto handshake = reinterpret_cast<EngineHandshakeFunction>(
        reinterpret_cast<void*>(GetProcAddress(engine, kEngineHandshakeExport)));
    if (!handshake) {
        fwprintf(stderr, L"no engine beside the benchmark\n");
        return 1;
    }
    const EngineFunctionTable* engineFunctions = handshake();
    const auto loopStart = Clock::now();
    int accepted = 0;
    for (const std::wstring& file : files) {
        wchar_t output[kOutputChars] = L"C:\\out.jpg";
        if (engineFunctions->IsSupported(file.c_str()) == 1) {
            ++accepted;
            engineFunctions->Optimize(file.c_str(), output, kOutputChars, PROFILE_MEDIUM);
        }
    }
    const double loopSeconds = std::chrono::duration<double>(Clock::now() - loopStart).count();

    // Start-up alone: one argument that the engine refuses.
    const double startSeconds = RunSeconds(L"\"" + folder + L"PlenzarFile.exe\" refused.none");
    const double batchSeconds = RunSeconds(commandLine);

    for (const std::wstring& file : files)
        DeleteFileW(file.c_str());
    RemoveDirectoryW(work.c_str());

    wprintf(L"files: %d (accepted by the bare loop: %d)\n", kFiles, accepted);
    wprintf(L"bare loop of the engine calls: %.6f s\n", loopSeconds);
    wprintf(L"PlenzarFile.exe, start-up with one refused file: %.3f s\n", startSeconds);
    wprintf(L"PlenzarFile.exe, batch of %d files: %.3f s\n", kFiles, batchSeconds);
    wprintf(L"per file beyond start-up: %.1f us\n", (batchSeconds - startSeconds) * 1e6 / kFiles);
    wprintf(L"ratio batch / bare loop: %.0f\n", loopSeconds > 0 ? batchSeconds / loopSeconds : 0.0);
    wprintf(L"ratio (batch - start-up) / bare loop: %.0f\n",
            loopSeconds > 0 ? (batchSeconds - startSeconds) / loopSeconds : 0.0);
    return 0;
}

#include "desktop/process_files.h"

#include "desktop/output_name.h"
#include "desktop/shared.h"

#include <cstdint>
#include <cstdio>

namespace {

// The source's size in bytes as a 32-bit count; 0 when it cannot be opened.
int32_t SourceSize(const wchar_t* path)
{
    FILE* file = _wfopen(path, L"rb");
    if (!file)
        return 0;
    int64_t size = 0;
    if (_fseeki64(file, 0, SEEK_END) == 0)
        size = _ftelli64(file);
    fclose(file);
    return size > 0 ? static_cast<int32_t>(size) : 0;
}

}  // namespace

bool ProcessFiles(std::vector<std::wstring>& files)
{
    const CSettings settings;
    const PlenzarProfile profile = settings.appDefaultPlenzarProfile;
    const bool toDesktop = settings.appOutputToDesktop != 0;

    for (const std::wstring& source : files) {
        const wchar_t* path = source.c_str();
        if (g_engineFunctions.IsSupported(path) != 1)
            continue;
        SplitPath parts;
        if (!SplitFilePath(path, parts))
            continue;
        if (toDesktop)
            MoveToDesktop(parts);
        wchar_t output[kOutputPathChars] = {};
        if (!FindFreeOutputPath(parts, output))
            continue;

        const CWideToUtf8 eventName(parts.extension);
        CUsageStatistics::Count(eventName.c_str() ? eventName.c_str() : "", SourceSize(path));
        g_engineFunctions.Optimize(path, output, static_cast<int>(kOutputPathChars), profile);
    }
    return true;
}

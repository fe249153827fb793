#include "desktop/process_files.h"

#include "common/output_name.h"
#include "common/source_file.h"
#include "desktop/desktop_folder.h"
#include "desktop/shared.h"

#include <cstdint>
#include <cstdio>

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
        CUsageStatistics::Count(eventName.c_str() ? eventName.c_str() : "", QueryFileLength(source));
        g_engineFunctions.Optimize(path, output, static_cast<int>(kOutputPathChars), profile);
    }
    return true;
}

#include "desktop/process_files.h"

#include "common/file_conversion.h"
#include "desktop/desktop_folder.h"
#include "desktop/shared.h"

namespace {

// The batch counts each file's extension with its size, never the profile.
void CountExtension(const std::wstring& extension, std::int32_t length, PlenzarProfile)
{
    const CWideToUtf8 eventName(extension.c_str());
    CUsageStatistics::Count(eventName.c_str() ? eventName.c_str() : "", length);
}

}  // namespace

void ProcessFiles(std::vector<std::wstring>& files)
{
    const CSettings settings;
    const PlenzarProfile profile = settings.appDefaultPlenzarProfile;
    const bool toDesktop = settings.appOutputToDesktop != 0;

    for (const std::wstring& source : files) {
        if (g_engineFunctions.IsSupported(source.c_str()) != 1)
            continue;
        SplitPath parts;
        if (!SplitFilePath(source.c_str(), parts))
            continue;
        if (toDesktop)
            MoveToDesktop(parts);
        ConvertIntoFreeName(source, parts, profile, &CountExtension);
    }
}

// A DLL with a version resource of its own, for tests of the version strings: it
// reports GetModuleVersionString as seen from inside itself, and runs the update check
// with that version as its own.
#include "common/update_check.h"
#include "common/version_info.h"

#include <cstring>

extern "C" __declspec(dllexport) int CopyModuleVersion(char* buffer, int size)
{
    const std::string version = GetModuleVersionString();
    if (!buffer || size <= 0 || version.size() >= static_cast<size_t>(size))
        return -1;
    memcpy(buffer, version.c_str(), version.size() + 1);
    return static_cast<int>(version.size());
}

// Runs the update check as a deliverable holding this code would, with this DLL's version.
extern "C" __declspec(dllexport) void RunUpdateCheck()
{
    CheckForUpdate();
}

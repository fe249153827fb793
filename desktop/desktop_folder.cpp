#include "desktop/desktop_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

bool MoveToDesktop(SplitPath& parts)
{
    wchar_t desktop[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, 0,
                                  desktop)))
        return false;
    const size_t length = wcslen(desktop);
    if (length == 0 || desktop[length - 1] != L'\\') {
        if (length + 1 >= MAX_PATH)
            return false;
        desktop[length] = L'\\';
        desktop[length + 1] = L'\0';
    }
    SplitPath desktopParts;
    if (!SplitFilePath(desktop, desktopParts))
        return false;
    wcscpy_s(parts.drive, desktopParts.drive);
    wcscpy_s(parts.directory, desktopParts.directory);
    return true;
}

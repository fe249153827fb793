#include "tests/support/dialog_driver.h"

#include <iterator>

namespace testsupport {

HWND WaitForDialog(const wchar_t* caption, DWORD processId, DWORD milliseconds, HANDLE ended)
{
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    do {
        for (HWND window = FindWindowExW(nullptr, nullptr, L"#32770", caption); window;
             window = FindWindowExW(nullptr, window, L"#32770", caption)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == processId && IsWindowVisible(window))
                return window;
        }
        if (ended ? WaitForSingleObject(ended, 50) == WAIT_OBJECT_0 : (Sleep(50), false))
            return nullptr;
    } while (GetTickCount64() < deadline);
    return nullptr;
}

bool IsButtonChecked(HWND dialog, int id)
{
    return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ClickButton(HWND dialog, int id)
{
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void ClickControl(HWND control)
{
    SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}

HCURSOR CursorAfterSetCursor(HWND dialog, POINT point, LRESULT* result)
{
    SetCursorPos(point.x, point.y);
    *result = SendMessageW(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    CURSORINFO info = { sizeof(info) };
    GetCursorInfo(&info);
    return info.hCursor;
}

}  // namespace testsupport

#pragma once
// Playing the user on a dialog, of this process or another: find it once it is shown,
// read and click its controls, point the mouse at it.
#include <windows.h>

#include <string>

namespace testsupport {

// The visible top-level dialog (class #32770) with this caption owned by the process, or
// null when none shows within the time or `ended` (a process or thread handle, may be
// null) is signalled first.
HWND WaitForDialog(const wchar_t* caption, DWORD processId, DWORD milliseconds, HANDLE ended = nullptr);

bool IsButtonChecked(HWND dialog, int id);
// BM_CLICK, as a mouse click on the button.
void ClickButton(HWND dialog, int id);
// A left click at the control's top-left corner, as the mouse gives it to the control.
void ClickControl(HWND control);
std::wstring WindowText(HWND window);

// Moves the cursor to point and sends the dialog WM_SETCURSOR as a mouse move there does;
// the cursor then shown, with the message's answer in *result.
HCURSOR CursorAfterSetCursor(HWND dialog, POINT point, LRESULT* result);

}  // namespace testsupport

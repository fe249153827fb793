// Holds a hidden window on Wine's desktop until it is killed. With "--once" it only
// creates the window and exits, which brings Wine's desktop process up.
#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"wine_keepalive", 0, 0, 0, 0, 0,
                                  nullptr, nullptr, instance, nullptr);
    if (wcsstr(commandLine, L"--once") == nullptr) {
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
    }
    if (window)
        DestroyWindow(window);
    return 0;
}

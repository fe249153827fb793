#pragma once
// The ribbon's images: which PNG resource a control shows at a screen DPI, and the OLE
// picture made from it.
#include <windows.h>
#include <ocidl.h>

enum class RibbonImage {
    Preferences,  // the Preferences button
    Off,          // the toggle while the item's profile is -1
    On,           // the toggle otherwise, and the menu button of the item's profile
};

// The PNG resource id of image for the DPI band of dpi (below 120, 120 to 143, 144 to
// 191, 192 and more: 32, 40, 48 and 64 pixels).
UINT RibbonImageResourceId(RibbonImage image, int dpi);

// The horizontal logical pixels per inch of the desktop window.
int GetScreenDpi();

// Decodes the "PNG" resource id of module into a picture (IDispatch) owning its bitmap.
// S_OK with *picture unwritten when the resource is missing, cannot be read or does not
// decode; otherwise the picture's creation result.
HRESULT CreatePictureFromPngResource(HMODULE module, UINT id, IPictureDisp** picture);

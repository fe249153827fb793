#pragma once
// Picture work through the Windows Imaging Component, shared by the demo engine and the
// sample-picture tool.
#include <windows.h>
#include <wrl/client.h>
#include <wincodec.h>

#include <cstdint>
#include <vector>

using Microsoft::WRL::ComPtr;

// COM for the calling thread for one scope; leaves it alone when the thread already
// runs another apartment model.
class ComScope {
public:
    ComScope() : m_initialized(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope()
    {
        if (m_initialized)
            ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool m_initialized;
};

// A picture in memory as 32-bit BGRA pixels, rows top-down without padding.
struct BgraPicture {
    UINT width = 0;
    UINT height = 0;
    std::vector<uint8_t> pixels;
};

// The container of a file type this code reads and writes (JPEG, PNG, BMP, GIF, TIFF),
// chosen by the extension of path; false for any other.
bool ContainerForPath(const wchar_t* path, GUID& container);

// Reads the first frame of a picture file; also reports the container it came in and
// the frame's own pixel format.
HRESULT ReadPicture(IWICImagingFactory* factory, const wchar_t* path, BgraPicture& picture,
                    GUID& container, WICPixelFormatGUID& sourceFormat);

// Shrinks the picture so that its longer side is at most longestSide (never enlarges),
// averaging the source pixels that fall into each output pixel.
BgraPicture ShrinkToFit(const BgraPicture& picture, UINT longestSide);

// Writes the picture at path in the container, keeping as close to pixelFormat as the
// encoder allows. Fails when path exists; on failure nothing is left at path.
HRESULT WritePicture(IWICImagingFactory* factory, const BgraPicture& picture, const GUID& container,
                     const WICPixelFormatGUID& pixelFormat, const wchar_t* path);

HRESULT CreateImagingFactory(ComPtr<IWICImagingFactory>& factory);

#include "mail_addin/png_decoding.h"

#include <wrl/client.h>

#include <cstdint>

using Microsoft::WRL::ComPtr;

IWICBitmapSource* DecodePngStream(IStream* stream)
{
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(::CoCreateInstance(CLSID_WICPngDecoder, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&decoder))))
        return nullptr;
    if (FAILED(decoder->Initialize(stream, WICDecodeMetadataCacheOnLoad)))
        return nullptr;
    UINT frameCount = 0;
    if (FAILED(decoder->GetFrameCount(&frameCount)) || frameCount != 1)
        return nullptr;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame)))
        return nullptr;
    IWICBitmapSource* converted = nullptr;
    if (FAILED(::WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.Get(), &converted)))
        return nullptr;
    return converted;
}

HBITMAP CreateDibFromBitmapSource(IWICBitmapSource* source)
{
    UINT width = 0;
    UINT height = 0;
    if (!source || FAILED(source->GetSize(&width, &height)) || width == 0 || height == 0)
        return nullptr;
    const std::uint64_t stride = std::uint64_t(width) * 4;
    const std::uint64_t bufferSize = stride * height;
    if (bufferSize > UINT_MAX || width > INT_MAX || height > INT_MAX)
        return nullptr;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);  // rows top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    if (!bitmap)
        return nullptr;
    if (FAILED(source->CopyPixels(nullptr, static_cast<UINT>(stride), static_cast<UINT>(bufferSize),
                                  static_cast<BYTE*>(bits)))) {
        ::DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

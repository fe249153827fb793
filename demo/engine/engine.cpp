// The demo engine: Plenzar.dll that really shrinks JPEG, PNG, BMP, GIF and TIFF pictures
// through the Windows Imaging Component.
#include "demo/engine/wic_image.h"

#include <cwchar>

namespace {

// Longest side in pixels for profiles 0..3; profile 4 keeps the size.
constexpr UINT kLongestSide[] = { 320, 640, 1024, 1600 };
constexpr int kFullSizeProfile = 4;

// The output file was written whole.
constexpr int kWritten = 0;
constexpr int kBadArguments = 1;
constexpr int kNotWritten = 2;

extern "C" int Optimize(const wchar_t* source, wchar_t* destination, int capacity, int profile)
{
    if (!source || !destination || capacity <= 0 || profile < 0 || profile > kFullSizeProfile)
        return kBadArguments;
    const size_t length = wcsnlen(destination, static_cast<size_t>(capacity));
    if (length == 0 || length >= static_cast<size_t>(capacity))
        return kBadArguments;

    ComScope com;
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CreateImagingFactory(factory)))
        return kNotWritten;
    BgraPicture picture;
    GUID container;
    WICPixelFormatGUID sourceFormat;
    if (FAILED(ReadPicture(factory.Get(), source, picture, container, sourceFormat)))
        return kNotWritten;
    if (profile != kFullSizeProfile)
        picture = ShrinkToFit(picture, kLongestSide[profile]);
    if (FAILED(WritePicture(factory.Get(), picture, container, sourceFormat, destination)))
        return kNotWritten;
    return kWritten;
}

extern "C" int IsSupported(const wchar_t* path)
{
    GUID container;
    return ContainerForPath(path, container) ? 1 : 0;
}

struct EngineFunctionTable {
    int (*optimize)(const wchar_t*, wchar_t*, int, int);
    int (*isSupported)(const wchar_t*);
};
const EngineFunctionTable kFunctions = { &Optimize, &IsSupported };

}  // namespace

extern "C" __declspec(dllexport) const EngineFunctionTable* Handshake()
{
    return &kFunctions;
}

// The demo engine: Plenzar.dll that really shrinks JPEG, PNG, BMP, GIF and TIFF pictures
// through the Windows Imaging Component.
#include "common/engine.h"
#include "demo/engine/wic_image.h"

#include <cwchar>
#include <new>

namespace {

// Longest side in pixels for profiles 0..3; profile 4 keeps the size.
constexpr UINT kLongestSide[] = { 320, 640, 1024, 1600 };
constexpr int kFullSizeProfile = 4;

// The output file was written whole.
constexpr int kWritten = 0;
constexpr int kBadArguments = 1;
constexpr int kNotWritten = 2;

int ShrinkFile(const wchar_t* source, const wchar_t* destination, PlenzarProfile profile)
{
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

int PLENZAR_ENGINE_CALL Optimize(const wchar_t* source, wchar_t* destination, std::int32_t capacity,
                                 PlenzarProfile profile)
{
    if (!source || !destination || capacity <= 0 || profile < 0 || profile > kFullSizeProfile)
        return kBadArguments;
    const size_t length = wcsnlen(destination, static_cast<size_t>(capacity));
    if (length == 0 || length >= static_cast<size_t>(capacity))
        return kBadArguments;
    try {
        return ShrinkFile(source, destination, profile);
    } catch (const std::bad_alloc&) {
        // A picture too large for memory; the host gets a refusal, never the exception.
        return kNotWritten;
    }
}

int PLENZAR_ENGINE_CALL IsSupported(const wchar_t* path)
{
    GUID container;
    return ContainerForPath(path, container) ? 1 : 0;
}

const EngineFunctionTable kFunctions = { &Optimize, &IsSupported };

}  // namespace

extern "C" __declspec(dllexport) const EngineFunctionTable* PLENZAR_ENGINE_CALL Handshake()
{
    return &kFunctions;
}

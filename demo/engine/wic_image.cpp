#include "demo/engine/wic_image.h"

#include <cwchar>
#include <cwctype>
#include <new>
#include <string>

namespace {

struct ExtensionContainer {
    const wchar_t* extension;
    const GUID* container;
};
const ExtensionContainer kContainers[] = {
    { L".jpg", &GUID_ContainerFormatJpeg },  { L".jpeg", &GUID_ContainerFormatJpeg },
    { L".jpe", &GUID_ContainerFormatJpeg },  { L".png", &GUID_ContainerFormatPng },
    { L".bmp", &GUID_ContainerFormatBmp },   { L".gif", &GUID_ContainerFormatGif },
    { L".tif", &GUID_ContainerFormatTiff },  { L".tiff", &GUID_ContainerFormatTiff },
};

constexpr float kJpegQuality = 0.85f;

HRESULT SetJpegQuality(IPropertyBag2* options)
{
    PROPBAG2 option = {};
    option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R4;
    value.fltVal = kJpegQuality;
    return options->Write(1, &option, &value);
}

// Converts the BGRA picture into what the encoder frame accepted; indexed formats get
// a palette made from the picture and set on the frame.
HRESULT WritePixels(IWICImagingFactory* factory, IWICBitmapFrameEncode* frame, const BgraPicture& picture,
                    const WICPixelFormatGUID& accepted)
{
    ComPtr<IWICBitmap> bitmap;
    HRESULT hr = factory->CreateBitmapFromMemory(
        picture.width, picture.height, GUID_WICPixelFormat32bppBGRA, picture.width * 4,
        static_cast<UINT>(picture.pixels.size()), const_cast<BYTE*>(picture.pixels.data()), bitmap.ReleaseAndGetAddressOf());
    if (FAILED(hr))
        return hr;
    if (IsEqualGUID(accepted, GUID_WICPixelFormat32bppBGRA))
        return frame->WriteSource(bitmap.Get(), nullptr);

    ComPtr<IWICPalette> palette;
    const bool indexed = IsEqualGUID(accepted, GUID_WICPixelFormat8bppIndexed) ||
                         IsEqualGUID(accepted, GUID_WICPixelFormat4bppIndexed) ||
                         IsEqualGUID(accepted, GUID_WICPixelFormat2bppIndexed) ||
                         IsEqualGUID(accepted, GUID_WICPixelFormat1bppIndexed);
    if (indexed) {
        if (FAILED(hr = factory->CreatePalette(palette.ReleaseAndGetAddressOf())) ||
            FAILED(hr = palette->InitializeFromBitmap(bitmap.Get(), 256, FALSE)) ||
            FAILED(hr = frame->SetPalette(palette.Get())))
            return hr;
    }
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(hr = factory->CreateFormatConverter(converter.ReleaseAndGetAddressOf())) ||
        FAILED(hr = converter->Initialize(bitmap.Get(), accepted, WICBitmapDitherTypeNone, palette.Get(), 0.0,
                                          WICBitmapPaletteTypeCustom)))
        return hr;
    return frame->WriteSource(converter.Get(), nullptr);
}

HRESULT Encode(IWICImagingFactory* factory, const BgraPicture& picture, const GUID& container,
               const WICPixelFormatGUID& pixelFormat, const wchar_t* path)
{
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    HRESULT hr;
    if (FAILED(hr = factory->CreateStream(stream.ReleaseAndGetAddressOf())) ||
        FAILED(hr = stream->InitializeFromFilename(path, GENERIC_WRITE)) ||
        FAILED(hr = factory->CreateEncoder(container, nullptr, encoder.ReleaseAndGetAddressOf())) ||
        FAILED(hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(hr = encoder->CreateNewFrame(frame.ReleaseAndGetAddressOf(), options.ReleaseAndGetAddressOf())))
        return hr;
    if (IsEqualGUID(container, GUID_ContainerFormatJpeg) && options.Get())
        SetJpegQuality(options.Get());  // the encoder's default quality otherwise
    WICPixelFormatGUID accepted = pixelFormat;
    if (FAILED(hr = frame->Initialize(options.Get())) ||
        FAILED(hr = frame->SetSize(picture.width, picture.height)) ||
        FAILED(hr = frame->SetPixelFormat(&accepted)) ||
        FAILED(hr = WritePixels(factory, frame.Get(), picture, accepted)) ||
        FAILED(hr = frame->Commit()) ||
        FAILED(hr = encoder->Commit()))
        return hr;
    return S_OK;
}

}  // namespace

bool ContainerForPath(const wchar_t* path, GUID& container)
{
    if (!path)
        return false;
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p) {
        if (*p == L'\\' || *p == L'/' || *p == L':')
            name = p + 1;
    }
    const wchar_t* dot = wcsrchr(name, L'.');
    if (!dot)
        return false;
    for (const ExtensionContainer& entry : kContainers) {
        if (_wcsicmp(dot, entry.extension) == 0) {
            container = *entry.container;
            return true;
        }
    }
    return false;
}

HRESULT CreateImagingFactory(ComPtr<IWICImagingFactory>& factory)
{
    return ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()));
}

HRESULT ReadPicture(IWICImagingFactory* factory, const wchar_t* path, BgraPicture& picture, GUID& container,
                    WICPixelFormatGUID& sourceFormat)
{
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    HRESULT hr;
    if (FAILED(hr = factory->CreateDecoderFromFilename(path, nullptr, GENERIC_READ,
                                                       WICDecodeMetadataCacheOnDemand, decoder.ReleaseAndGetAddressOf())) ||
        FAILED(hr = decoder->GetContainerFormat(&container)) ||
        FAILED(hr = decoder->GetFrame(0, frame.ReleaseAndGetAddressOf())) ||
        FAILED(hr = frame->GetPixelFormat(&sourceFormat)) ||
        FAILED(hr = frame->GetSize(&picture.width, &picture.height)))
        return hr;
    if (picture.width == 0 || picture.height == 0 || picture.width > 65535 || picture.height > 65535)
        return E_INVALIDARG;
    if (FAILED(hr = factory->CreateFormatConverter(converter.ReleaseAndGetAddressOf())) ||
        FAILED(hr = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                          nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return hr;
    picture.pixels.resize(static_cast<size_t>(picture.width) * picture.height * 4);
    return converter->CopyPixels(nullptr, picture.width * 4, static_cast<UINT>(picture.pixels.size()),
                                 picture.pixels.data());
}

BgraPicture ShrinkToFit(const BgraPicture& picture, UINT longestSide)
{
    const UINT longer = picture.width > picture.height ? picture.width : picture.height;
    if (longer <= longestSide)
        return picture;
    BgraPicture result;
    result.width = static_cast<UINT>((static_cast<uint64_t>(picture.width) * longestSide + longer / 2) / longer);
    result.height = static_cast<UINT>((static_cast<uint64_t>(picture.height) * longestSide + longer / 2) / longer);
    if (result.width == 0)
        result.width = 1;
    if (result.height == 0)
        result.height = 1;
    result.pixels.resize(static_cast<size_t>(result.width) * result.height * 4);
    for (UINT y = 0; y < result.height; ++y) {
        const UINT top = static_cast<UINT>(static_cast<uint64_t>(y) * picture.height / result.height);
        UINT bottom = static_cast<UINT>(static_cast<uint64_t>(y + 1) * picture.height / result.height);
        if (bottom <= top)
            bottom = top + 1;
        for (UINT x = 0; x < result.width; ++x) {
            const UINT left = static_cast<UINT>(static_cast<uint64_t>(x) * picture.width / result.width);
            UINT right = static_cast<UINT>(static_cast<uint64_t>(x + 1) * picture.width / result.width);
            if (right <= left)
                right = left + 1;
            uint64_t sum[4] = {};
            for (UINT sy = top; sy < bottom; ++sy) {
                const uint8_t* row = &picture.pixels[(static_cast<size_t>(sy) * picture.width + left) * 4];
                for (UINT sx = left; sx < right; ++sx, row += 4) {
                    for (int c = 0; c < 4; ++c)
                        sum[c] += row[c];
                }
            }
            const uint64_t count = static_cast<uint64_t>(bottom - top) * (right - left);
            uint8_t* out = &result.pixels[(static_cast<size_t>(y) * result.width + x) * 4];
            for (int c = 0; c < 4; ++c)
                out[c] = static_cast<uint8_t>((sum[c] + count / 2) / count);
        }
    }
    return result;
}

HRESULT WritePicture(IWICImagingFactory* factory, const BgraPicture& picture, const GUID& container,
                     const WICPixelFormatGUID& pixelFormat, const wchar_t* path)
{
    // Encode beside the target and move it into place only when complete, so the target
    // name holds either nothing or the whole picture.
    if (::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        return HRESULT_FROM_WIN32(ERROR_FILE_EXISTS);
    const std::wstring partial = std::wstring(path) + L".partial";
    HRESULT hr = E_OUTOFMEMORY;
    try {
        hr = Encode(factory, picture, container, pixelFormat, partial.c_str());
    } catch (const std::bad_alloc&) {
        // The partial file may exist by now: it goes below like any failed encoding.
    }
    if (SUCCEEDED(hr) && !::MoveFileExW(partial.c_str(), path, MOVEFILE_WRITE_THROUGH))
        hr = HRESULT_FROM_WIN32(::GetLastError());
    if (FAILED(hr))
        ::DeleteFileW(partial.c_str());
    return hr;
}

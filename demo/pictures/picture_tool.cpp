// Makes the demo's sample pictures and reports pixel sizes, through WIC.
//   picture_tool make <folder>    writes the samples into an existing folder
//   picture_tool size <file>...   prints "<width>x<height>" per file ("-" when unreadable)
#include "demo/engine/wic_image.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

struct Sample {
    const wchar_t* name;
    UINT width;
    UINT height;
    const GUID* container;
    const WICPixelFormatGUID* format;
};

// A photo-like scene: a sky gradient, a sun, hills and fine texture, so that the
// encoders have something to compress.
BgraPicture Scene(UINT width, UINT height, unsigned seed)
{
    BgraPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * height * 4);
    const double sunX = width * 0.7, sunY = height * 0.3, sunR = height * 0.12;
    unsigned noise = seed;
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int grain = static_cast<int>((noise >> 16) % 17) - 8;
            const double fx = static_cast<double>(x) / width, fy = static_cast<double>(y) / height;
            const double hill = 0.65 + 0.08 * std::sin(fx * 9.0 + seed) + 0.05 * std::sin(fx * 23.0);
            double r, g, b;
            if (fy > hill) {
                r = 40 + 60 * fy;
                g = 110 + 80 * (1 - fy) + 20 * std::sin(fx * 140) * std::sin(fy * 90);
                b = 40;
            } else {
                r = 90 + 100 * fy;
                g = 140 + 80 * fy;
                b = 235 - 30 * fy;
            }
            const double dx = x - sunX, dy = y - sunY;
            if (dx * dx + dy * dy < sunR * sunR) {
                r = 255;
                g = 220;
                b = 120;
            }
            uint8_t* pixel = &picture.pixels[(static_cast<size_t>(y) * width + x) * 4];
            const double channels[3] = { b, g, r };
            for (int c = 0; c < 3; ++c) {
                const int value = static_cast<int>(channels[c]) + grain;
                pixel[c] = static_cast<uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
            }
            pixel[3] = 255;
        }
    }
    return picture;
}

int Make(const std::wstring& folder)
{
    const Sample samples[] = {
        { L"holiday.jpg", 3000, 2000, &GUID_ContainerFormatJpeg, &GUID_WICPixelFormat24bppBGR },
        { L"garden.png", 1800, 1200, &GUID_ContainerFormatPng, &GUID_WICPixelFormat24bppBGR },
        { L"scan.tif", 1240, 1754, &GUID_ContainerFormatTiff, &GUID_WICPixelFormat24bppBGR },
        { L"drawing.bmp", 1024, 768, &GUID_ContainerFormatBmp, &GUID_WICPixelFormat24bppBGR },
        { L"banner.gif", 1200, 400, &GUID_ContainerFormatGif, &GUID_WICPixelFormat8bppIndexed },
        { L"thumbnail.jpg", 300, 200, &GUID_ContainerFormatJpeg, &GUID_WICPixelFormat24bppBGR },
    };
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CreateImagingFactory(factory)))
        return 1;
    int status = 0;
    unsigned seed = 1;
    for (const Sample& sample : samples) {
        const std::wstring path = folder + L"\\" + sample.name;
        ::DeleteFileW(path.c_str());
        const HRESULT hr = WritePicture(factory.Get(), Scene(sample.width, sample.height, seed++),
                                        *sample.container, *sample.format, path.c_str());
        if (FAILED(hr)) {
            fwprintf(stderr, L"cannot write %ls: 0x%08lx\n", path.c_str(), static_cast<unsigned long>(hr));
            status = 1;
        }
    }
    return status;
}

int Size(int count, wchar_t** paths)
{
    ComPtr<IWICImagingFactory> factory;
    if (FAILED(CreateImagingFactory(factory)))
        return 1;
    for (int i = 0; i < count; ++i) {
        ComPtr<IWICBitmapDecoder> decoder;
        ComPtr<IWICBitmapFrameDecode> frame;
        UINT width = 0, height = 0;
        if (SUCCEEDED(factory->CreateDecoderFromFilename(paths[i], nullptr, GENERIC_READ,
                                                         WICDecodeMetadataCacheOnDemand, decoder.ReleaseAndGetAddressOf())) &&
            SUCCEEDED(decoder->GetFrame(0, frame.ReleaseAndGetAddressOf())) && SUCCEEDED(frame->GetSize(&width, &height)))
            wprintf(L"%ux%u\n", width, height);
        else
            wprintf(L"-\n");
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    ComScope com;
    if (argc == 3 && std::wstring(argv[1]) == L"make")
        return Make(argv[2]);
    if (argc >= 3 && std::wstring(argv[1]) == L"size")
        return Size(argc - 2, argv + 2);
    fwprintf(stderr, L"usage: picture_tool make <folder> | picture_tool size <file>...\n");
    return 2;
}

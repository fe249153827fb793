// The ribbon's images: the PNG resources of each motif and DPI band, decoded back through
// the Windows Imaging Component into the pictures that Outlook gets.
#include <gtest/gtest.h>

#include <olectl.h>

#include <cstdlib>
#include <string>

#include "mail_addin/png_decoding.h"
#include "mail_addin/ribbon_image.h"
#include "mail_addin/tests/support/ribbon_test_addin.h"
#include "mail_addin/tests/support/ribbon_test_host.h"
#include "tests/support/saved_registry_value.h"

namespace {

using namespace outlook_double;

// The bitmap a picture holds: its size and whether its pixels are premultiplied BGRA
// with a transparent corner and an opaque centre.
struct PictureBitmap {
    LONG width = 0;
    LONG height = 0;
    WORD bitsPerPixel = 0;
    bool premultiplied = false;
    BYTE cornerAlpha = 0xFF;
    BYTE centreAlpha = 0;
};

PictureBitmap ReadPicture(IDispatch* dispatch)
{
    PictureBitmap result;
    ComPtr<IPicture> picture;
    OLE_HANDLE handle = 0;
    SHORT type = 0;
    if (!dispatch || FAILED(dispatch->QueryInterface(IID_PPV_ARGS(&picture))) ||
        FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP || FAILED(picture->get_Handle(&handle)))
        return result;
    BITMAP bitmap = {};
    if (!GetObjectW(reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle)), sizeof(bitmap), &bitmap) ||
        !bitmap.bmBits)
        return result;
    result.width = bitmap.bmWidth;
    result.height = bitmap.bmHeight;
    result.bitsPerPixel = bitmap.bmBitsPixel;
    if (bitmap.bmBitsPixel != 32)
        return result;
    const auto* pixels = static_cast<const BYTE*>(bitmap.bmBits);
    result.premultiplied = true;
    for (LONG i = 0; i < bitmap.bmWidth * bitmap.bmHeight; ++i) {
        const BYTE* pixel = pixels + i * 4;
        if (pixel[0] > pixel[3] || pixel[1] > pixel[3] || pixel[2] > pixel[3])
            result.premultiplied = false;
    }
    result.cornerAlpha = pixels[3];
    result.centreAlpha = pixels[((bitmap.bmHeight / 2) * bitmap.bmWidth + bitmap.bmWidth / 2) * 4 + 3];
    return result;
}

struct PngHeader {
    UINT width = 0;
    UINT height = 0;
    BYTE bitDepth = 0;
    BYTE colourType = 0;
    BYTE interlace = 0xFF;
};

PngHeader ReadPngResourceHeader(UINT id)
{
    PngHeader header;
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    const auto* bytes = resource ? static_cast<const BYTE*>(LockResource(LoadResource(module, resource))) : nullptr;
    if (!bytes || SizeofResource(module, resource) < 33 || memcmp(bytes + 12, "IHDR", 4) != 0)
        return header;
    auto bigEndian = [](const BYTE* at) { return UINT(at[0]) << 24 | UINT(at[1]) << 16 | UINT(at[2]) << 8 | at[3]; };
    header.width = bigEndian(bytes + 16);
    header.height = bigEndian(bytes + 20);
    header.bitDepth = bytes[24];
    header.colourType = bytes[25];
    header.interlace = bytes[28];
    return header;
}

TEST(RibbonImages, EachMotifHasAnImageOfTheBandsSizeForEveryDpi)
{
    CComApartment com;
    struct Band {
        int dpi;
        LONG pixels;
    };
    const Band bands[] = { { 96, 32 }, { 119, 32 }, { 120, 40 }, { 143, 40 },
                           { 144, 48 }, { 191, 48 }, { 192, 64 }, { 288, 64 } };
    for (RibbonImage image : { RibbonImage::Preferences, RibbonImage::Off, RibbonImage::On }) {
        for (const Band& band : bands) {
            const UINT id = RibbonImageResourceId(image, band.dpi);
            SCOPED_TRACE("image " + std::to_string(static_cast<int>(image)) + " at " + std::to_string(band.dpi) +
                         " dpi, resource " + std::to_string(id));
            const PngHeader header = ReadPngResourceHeader(id);
            EXPECT_EQ(header.width, static_cast<UINT>(band.pixels));
            EXPECT_EQ(header.height, static_cast<UINT>(band.pixels));
            EXPECT_EQ(header.bitDepth, 8);
            EXPECT_EQ(header.colourType, 6);  // RGBA
            EXPECT_EQ(header.interlace, 0);

            IPictureDisp* picture = nullptr;
            ASSERT_EQ(CreatePictureFromPngResource(GetModuleHandleW(nullptr), id, &picture), S_OK);
            ASSERT_NE(picture, nullptr);
            const PictureBitmap bitmap = ReadPicture(picture);
            picture->Release();
            EXPECT_EQ(bitmap.width, band.pixels);
            EXPECT_EQ(bitmap.height, band.pixels);
            EXPECT_EQ(bitmap.bitsPerPixel, 32);
            EXPECT_TRUE(bitmap.premultiplied);
            EXPECT_EQ(bitmap.cornerAlpha, 0);
            EXPECT_EQ(bitmap.centreAlpha, 255);
        }
    }
}

TEST(RibbonImages, WhatIsNoSingleFramePngGivesNoPicture)
{
    CComApartment com;
    IPictureDisp* picture = nullptr;
    EXPECT_EQ(CreatePictureFromPngResource(GetModuleHandleW(nullptr), 204, &picture), S_OK);  // no such PNG
    EXPECT_EQ(picture, nullptr);

    const char notPng[] = "GIF89a, not a PNG";
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(stream->Write(notPng, sizeof(notPng), nullptr), S_OK);
    ASSERT_EQ(stream->Seek({}, STREAM_SEEK_SET, nullptr), S_OK);
    EXPECT_EQ(DecodePngStream(stream.Get()), nullptr);
    EXPECT_EQ(CreateDibFromBitmapSource(nullptr), nullptr);
}

// The width of the Preferences image that GetImage hands Outlook, at the screen's DPI as
// this process sees it.
LONG PreferencesImagePixels()
{
    CComApartment com;
    OutlookDouble outlook;
    AddinHost host(outlook);
    IUnknown* addin = CreateRibbonTestAddin();
    EXPECT_EQ(host.Attach(addin), S_OK);
    addin->Release();
    EXPECT_EQ(host.Start(), S_OK);
    Variant image;
    EXPECT_EQ(host.GetImage(L"PlenzarMailPreferences", &image), S_OK);
    return ReadPicture(image.AsObject()).width;
}

// The exit code of a child that ran its check and passed (a filter that matched nothing
// would end with 0).
constexpr DWORD kChildPassed = 77;

// Run by the next test in a process of its own, with the size it names in the environment.
TEST(RibbonImagesAtScreenDpi, DISABLED_ShowsTheSizeNamedByTheParent)
{
    const char* expected = std::getenv("PLENZAR_EXPECTED_PIXELS");
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(PreferencesImagePixels(), std::atol(expected)) << "at " << GetScreenDpi() << " dpi";
    if (!::testing::Test::HasFailure())
        ExitProcess(kChildPassed);
}

// The image follows the screen's DPI at the request. Wine reads the DPI once per process:
// each band runs in a child with the DPI stored first.
TEST(RibbonImagesAtOtherDpi, EachBandIsChosenFromTheScreensDpi)
{
    const wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const testsupport::SavedRegistryValue saved = testsupport::SavedRegistryValue::Save(key, L"LogPixels");
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    struct Band {
        DWORD dpi;
        const wchar_t* pixels;
    };
    for (const Band& band : { Band{ 96, L"32" }, Band{ 120, L"40" }, Band{ 144, L"48" }, Band{ 192, L"64" } }) {
        const DWORD dpi = band.dpi;
        RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
        SetEnvironmentVariableW(L"PLENZAR_EXPECTED_PIXELS", band.pixels);
        std::wstring command = L"\"" + std::wstring(self) +
            L"\" --gtest_also_run_disabled_tests --gtest_filter=RibbonImagesAtScreenDpi.DISABLED_ShowsTheSizeNamedByTheParent";
        STARTUPINFOW startup = { sizeof(startup) };
        PROCESS_INFORMATION child = {};
        if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
            ADD_FAILURE() << "the child could not start";
            break;
        }
        DWORD exitCode = 1;
        EXPECT_EQ(WaitForSingleObject(child.hProcess, 60000), WAIT_OBJECT_0);
        GetExitCodeProcess(child.hProcess, &exitCode);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
        EXPECT_EQ(exitCode, kChildPassed) << dpi << " dpi";
    }
    SetEnvironmentVariableW(L"PLENZAR_EXPECTED_PIXELS", nullptr);
    saved.Restore(key, L"LogPixels");
    RegCloseKey(key);
}

}  // namespace

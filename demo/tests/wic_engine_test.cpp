// The demo engine loaded as the desktop program loads it, on pictures made here.
#include "common/engine.h"
#include "common/tests/import_spy.h"
#include "demo/engine/wic_image.h"
#include "tests/engine/test_engine.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int kCapacity = 260;

class DemoEngine : public ::testing::Test {
protected:
    DemoEngine()
    {
        m_module = LoadLibraryW(testsupport::BesideProgram(L"demo\\Plenzar.dll").c_str());
        auto handshake = reinterpret_cast<EngineHandshakeFunction>(
            reinterpret_cast<void*>(GetProcAddress(m_module, kEngineHandshakeExport)));
        m_functions = handshake ? handshake() : nullptr;
        CreateImagingFactory(m_factory);
    }
    ~DemoEngine() override
    {
        m_factory.Reset();
        if (m_module)
            FreeLibrary(m_module);
    }

    std::wstring Path(const std::wstring& name) const { return m_folder.Path() + L"\\" + name; }

    std::wstring MakePicture(const std::wstring& name, UINT width, UINT height, const GUID& container,
                             const WICPixelFormatGUID& format) const
    {
        BgraPicture picture;
        picture.width = width;
        picture.height = height;
        picture.pixels.assign(static_cast<size_t>(width) * height * 4, 0x80);
        EXPECT_HRESULT_SUCCEEDED(WritePicture(m_factory.Get(), picture, container, format, Path(name).c_str()));
        return Path(name);
    }

    int Optimize(const std::wstring& source, const std::wstring& output, int profile) const
    {
        wchar_t buffer[kCapacity] = {};
        wcsncpy(buffer, output.c_str(), kCapacity - 1);
        return m_functions->Optimize(source.c_str(), buffer, kCapacity, profile);
    }

    // "<width>x<height> <container>" of a written picture, or "unreadable".
    std::string Describe(const std::wstring& path) const
    {
        BgraPicture picture;
        GUID container;
        WICPixelFormatGUID format;
        if (FAILED(ReadPicture(m_factory.Get(), path.c_str(), picture, container, format)))
            return "unreadable";
        GUID expected;
        const bool sameContainer = ContainerForPath(path.c_str(), expected) && IsEqualGUID(expected, container);
        return std::to_string(picture.width) + "x" + std::to_string(picture.height) +
               (sameContainer ? " same format" : " other format");
    }

    ComScope m_com;
    test_engine::ScopedTempFolder m_folder;
    HMODULE m_module = nullptr;
    const EngineFunctionTable* m_functions = nullptr;
    ComPtr<IWICImagingFactory> m_factory;
};

TEST_F(DemoEngine, ShrinksEveryFormatToTheProfilesLongestSideInItsOwnFormat)
{
    ASSERT_NE(m_functions, nullptr);
    struct Case {
        const wchar_t* name;
        const GUID* container;
        const WICPixelFormatGUID* format;
    } cases[] = {
        { L"a.jpg", &GUID_ContainerFormatJpeg, &GUID_WICPixelFormat24bppBGR },
        { L"a.png", &GUID_ContainerFormatPng, &GUID_WICPixelFormat32bppBGRA },
        { L"a.bmp", &GUID_ContainerFormatBmp, &GUID_WICPixelFormat24bppBGR },
        { L"a.gif", &GUID_ContainerFormatGif, &GUID_WICPixelFormat8bppIndexed },
        { L"a.TIFF", &GUID_ContainerFormatTiff, &GUID_WICPixelFormat24bppBGR },
    };
    for (const Case& c : cases) {
        const std::wstring source = MakePicture(c.name, 1200, 900, *c.container, *c.format);
        const std::wstring stem = Path(std::wstring(L"out_") + c.name);
        EXPECT_EQ(m_functions->IsSupported(source.c_str()), 1);
        const std::wstring extension = source.substr(source.find_last_of(L'.'));
        const std::wstring tiny = stem + L"0" + extension, large = stem + L"3" + extension,
                           full = stem + L"4" + extension;
        EXPECT_EQ(Optimize(source, tiny, 0), 0);
        EXPECT_EQ(Describe(tiny), "320x240 same format");
        EXPECT_EQ(Optimize(source, large, 3), 0);  // never enlarged
        EXPECT_EQ(Describe(large), "1200x900 same format");
        EXPECT_EQ(Optimize(source, full, 4), 0);
        EXPECT_EQ(Describe(full), "1200x900 same format");
    }
}

TEST_F(DemoEngine, WritesNothingAndReportsFailureWhenItCannotFinish)
{
    ASSERT_NE(m_functions, nullptr);
    EXPECT_EQ(m_functions->IsSupported(L"notes.txt"), 0);
    EXPECT_EQ(m_functions->IsSupported(L"photo"), 0);

    const std::wstring source = MakePicture(L"b.png", 100, 50, GUID_ContainerFormatPng, GUID_WICPixelFormat32bppBGRA);
    const std::wstring broken = Path(L"broken.jpg");
    HANDLE file = CreateFileW(broken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, "not a picture", 13, &written, nullptr);
    CloseHandle(file);

    EXPECT_NE(Optimize(broken, Path(L"broken (1).jpg"), 2), 0);
    EXPECT_EQ(GetFileAttributesW(Path(L"broken (1).jpg").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(Path(L"broken (1).jpg.partial").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(Optimize(source, Path(L"x.png"), -1), 0);
    EXPECT_NE(Optimize(source, Path(L"x.png"), 5), 0);
    EXPECT_NE(Optimize(source, source, 2), 0);  // never overwrites, not even its source
    EXPECT_EQ(Describe(source), "100x50 same format");
    EXPECT_NE(Optimize(source, Path(L"missing\\x.png"), 2), 0);
}

// The engine's allocations, with those beyond a picture of 16,000 by 16,000 pixels refused
// as a machine without that much memory would.
void* __cdecl SmallMemoryMalloc(size_t size)
{
    return size > (size_t(1) << 30) ? nullptr : std::malloc(size);
}

TEST_F(DemoEngine, APictureTooLargeForMemoryFailsWithoutAnExceptionOrAFileLeft)
{
    ASSERT_NE(m_functions, nullptr);
    ImportSpy smallMemory("msvcrt.dll", "malloc", reinterpret_cast<void*>(&SmallMemoryMalloc), m_module);
    ASSERT_TRUE(smallMemory.Installed());

    // The header of a 30,000 by 30,000 pixel bitmap: its decoding needs 3.6 GB at once.
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + 16;
    info.biSize = sizeof(info);
    info.biWidth = 30000;
    info.biHeight = 30000;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const std::wstring huge = Path(L"huge.bmp");
    HANDLE handle = CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    const BYTE pixels[16] = {};
    WriteFile(handle, &file, sizeof(file), &written, nullptr);
    WriteFile(handle, &info, sizeof(info), &written, nullptr);
    WriteFile(handle, pixels, sizeof(pixels), &written, nullptr);
    CloseHandle(handle);

    EXPECT_NE(Optimize(huge, Path(L"huge (1).bmp"), 2), 0);
    EXPECT_EQ(GetFileAttributesW(Path(L"huge (1).bmp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(Path(L"huge (1).bmp.partial").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace

// The demo engine loaded as the desktop program loads it, on pictures made here.
#include "demo/engine/wic_image.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct EngineFunctionTable {
    int (*optimize)(const wchar_t*, wchar_t*, int, int);
    int (*isSupported)(const wchar_t*);
};

constexpr int kCapacity = 260;

class DemoEngine : public ::testing::Test {
protected:
    DemoEngine()
    {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring engine(path);
        engine = engine.substr(0, engine.find_last_of(L'\\')) + L"\\demo\\Plenzar.dll";
        m_module = LoadLibraryW(engine.c_str());
        auto handshake = reinterpret_cast<const EngineFunctionTable* (*)()>(
            reinterpret_cast<void*>(GetProcAddress(m_module, "Handshake")));
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
        return m_functions->optimize(source.c_str(), buffer, kCapacity, profile);
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
        EXPECT_EQ(m_functions->isSupported(source.c_str()), 1);
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
    EXPECT_EQ(m_functions->isSupported(L"notes.txt"), 0);
    EXPECT_EQ(m_functions->isSupported(L"photo"), 0);

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

}  // namespace

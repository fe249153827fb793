#include "mail_addin/ribbon_image.h"

#include <olectl.h>
#include <wrl/client.h>

#include <cstring>

#include "mail_addin/png_decoding.h"
#include "mail_addin/resource.h"

using Microsoft::WRL::ComPtr;

namespace {

// Columns by DPI band: 32, 40, 48 and 64 pixels.
constexpr UINT kImageIds[][4] = {
    { IDB_PREFERENCES_32, IDB_PREFERENCES_40, IDB_PREFERENCES_48, IDB_PREFERENCES_64 },
    { IDB_OFF_32, IDB_OFF_40, IDB_OFF_48, IDB_OFF_64 },
    { IDB_ON_32, IDB_ON_40, IDB_ON_48, IDB_ON_64 },
};

int DpiBand(int dpi)
{
    if (dpi < 120)
        return 0;
    if (dpi < 144)
        return 1;
    if (dpi < 192)
        return 2;
    return 3;
}

// A movable global memory block holding a copy of some bytes, locked while it lives.
class CGlobalCopy {
public:
    CGlobalCopy(const void* bytes, SIZE_T size) : m_block(::GlobalAlloc(GMEM_MOVEABLE, size))
    {
        m_data = m_block ? ::GlobalLock(m_block) : nullptr;
        if (m_data)
            std::memcpy(m_data, bytes, size);
    }
    ~CGlobalCopy()
    {
        if (m_data)
            ::GlobalUnlock(m_block);
        if (m_block)
            ::GlobalFree(m_block);
    }
    CGlobalCopy(const CGlobalCopy&) = delete;
    CGlobalCopy& operator=(const CGlobalCopy&) = delete;

    HGLOBAL Handle() const { return m_data ? m_block : nullptr; }

private:
    HGLOBAL m_block;
    void* m_data = nullptr;
};

}  // namespace

UINT RibbonImageResourceId(RibbonImage image, int dpi)
{
    return kImageIds[static_cast<int>(image)][DpiBand(dpi)];
}

int GetScreenDpi()
{
    const HWND desktop = ::GetDesktopWindow();
    const HDC dc = ::GetDC(desktop);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
    ::ReleaseDC(desktop, dc);
    return dpi;
}

HRESULT CreatePictureFromPngResource(HMODULE module, UINT id, IPictureDisp** picture)
{
    const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
    const HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    const DWORD size = resource ? ::SizeofResource(module, resource) : 0;
    if (!bytes || size == 0)
        return S_OK;

    CGlobalCopy block(bytes, size);
    ComPtr<IStream> stream;
    if (!block.Handle() || FAILED(::CreateStreamOnHGlobal(block.Handle(), FALSE, &stream)))
        return S_OK;
    ComPtr<IWICBitmapSource> source;
    source.Attach(DecodePngStream(stream.Get()));
    if (!source)
        return S_OK;

    PICTDESC description = {};
    description.cbSizeofstruct = sizeof(description);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = CreateDibFromBitmapSource(source.Get());
    description.bmp.hpal = nullptr;
    const HRESULT result = ::OleCreatePictureIndirect(&description, IID_IDispatch, TRUE,
                                                      reinterpret_cast<void**>(picture));
    if (FAILED(result) && description.bmp.hbitmap)
        ::DeleteObject(description.bmp.hbitmap);  // the picture did not take it over
    return result;
}

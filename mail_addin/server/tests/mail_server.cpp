#include "mail_server.h"

#include <oleauto.h>

namespace mail_server {

// {D906C030-88DD-47BC-B614-76135B32A6BD}
const CLSID kClsidConnect = {0xD906C030, 0x88DD, 0x47BC, {0xB6, 0x14, 0x76, 0x13, 0x5B, 0x32, 0xA6, 0xBD}};
// {EF0192BE-E412-4559-9B9E-AD3DDF137C8B}
const GUID kLibId = {0xEF0192BE, 0xE412, 0x4559, {0x9B, 0x9E, 0xAD, 0x3D, 0xDF, 0x13, 0x7C, 0x8B}};
// {02255AAA-0F1E-4699-8913-EB034767DAAC}
const IID kIidConnect = {0x02255AAA, 0x0F1E, 0x4699, {0x89, 0x13, 0xEB, 0x03, 0x47, 0x67, 0xDA, 0xAC}};
// {CE895442-9981-4315-AA85-4B9A5C7739D8}
const IID kIidRibbonCallback = {0xCE895442, 0x9981, 0x4315, {0xAA, 0x85, 0x4B, 0x9A, 0x5C, 0x77, 0x39, 0xD8}};
// {AC0714F2-3D04-11D1-AE7D-00A0C90F26F4}
const GUID kLibIdOfficeAddInDesigner = {0xAC0714F2, 0x3D04, 0x11D1, {0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4}};

HRESULT RegisterOfficeTypeLibraries(const std::wstring& folder)
{
    for (const wchar_t* name : {L"office_addin_designer.tlb", L"office_core.tlb"}) {
        std::wstring path = folder + L"\\" + name;
        ITypeLib* library = nullptr;
        HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
        if (FAILED(hr)) return hr;
        hr = RegisterTypeLib(library, path.data(), nullptr);
        library->Release();
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace mail_server

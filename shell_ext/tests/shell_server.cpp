#include "shell_server.h"

#include "tests/support/program_folder.h"

const CLSID kClsidShellExt = {0x86E7B8D4, 0x034A, 0x42E0, {0x8F, 0xA5, 0x56, 0x41, 0x85, 0x7A, 0x9E, 0x6C}};
const GUID kLibIdShellExt = {0x8AD3DFFA, 0x3D92, 0x4D92, {0xA6, 0x83, 0x9D, 0x95, 0x9B, 0xAB, 0x3C, 0x22}};
const IID kIidPlenzarFileShellExt = {0x50F45929, 0x43C1, 0x4D1C, {0xAF, 0x91, 0x0C, 0x6E, 0x8F, 0xE3, 0xA0, 0x28}};

namespace {

std::wstring TestDllPath(const wchar_t* folderName)
{
    const std::wstring bin = testsupport::ProgramFolder();
    const std::wstring buildTree = bin.substr(0, bin.find_last_of(L'\\') + 1);
    return buildTree + folderName + L"\\PlenzarFileShell.dll";
}

template <class Function>
void Resolve(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

ShellServer::ShellServer(const wchar_t* folderName) : m_path(TestDllPath(folderName))
{
    m_module = LoadLibraryW(m_path.c_str());
    if (!m_module) return;
    Resolve(m_module, "DllCanUnloadNow", m_canUnloadNow);
    Resolve(m_module, "DllGetClassObject", m_getClassObject);
    Resolve(m_module, "DllRegisterServer", m_registerServer);
    Resolve(m_module, "DllUnregisterServer", m_unregisterServer);
    Resolve(m_module, "DllInstall", m_install);
    if (!m_canUnloadNow || !m_getClassObject || !m_registerServer || !m_unregisterServer || !m_install) {
        FreeLibrary(m_module);
        m_module = nullptr;
    }
}

ShellServer::~ShellServer()
{
    // As COM does, a library that says it is still in use (a pending store timer or upload
    // worker) is left loaded.
    if (m_module && CanUnloadNow() == S_OK) FreeLibrary(m_module);
}

HRESULT ShellServer::CreateHandler(IShellExtInit** handler) const
{
    ComPtr<IClassFactory> factory;
    HRESULT hr = GetClassObject(kClsidShellExt, IID_IClassFactory, reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(handler));
}

bool KeyExists(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool ReadString(HKEY root, const std::wstring& path, const wchar_t* name, std::wstring& value)
{
    wchar_t buffer[1024] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type, buffer, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    value = buffer;
    return true;
}

namespace {
bool QueryCounts(HKEY root, const std::wstring& path, DWORD& subkeys, DWORD& values)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const bool ok = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                     nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}
}  // namespace

DWORD SubkeyCount(HKEY root, const std::wstring& path)
{
    DWORD subkeys = 0, values = 0;
    QueryCounts(root, path, subkeys, values);
    return subkeys;
}

DWORD ValueCount(HKEY root, const std::wstring& path)
{
    DWORD subkeys = 0, values = 0;
    QueryCounts(root, path, subkeys, values);
    return values;
}

void DeleteKeyTree(HKEY root, const std::wstring& path)
{
    RegDeleteTreeW(root, path.c_str());
    RegDeleteKeyW(root, path.c_str());
}

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[64] = {};
    StringFromGUID2(guid, text, 64);
    return text;
}

#include "tests/support/com_server_library.h"

#include <objbase.h>

#include "tests/support/program_folder.h"

#include <utility>

namespace testsupport {

namespace {

template <class Function>
void Resolve(HMODULE module, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

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

std::wstring BuildTreePath(const wchar_t* folderName, const wchar_t* fileName)
{
    const std::wstring bin = ProgramFolder();
    return bin.substr(0, bin.find_last_of(L'\\') + 1) + folderName + L"\\" + fileName;
}

ComServerLibrary::ComServerLibrary(std::wstring path) : m_path(std::move(path))
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

ComServerLibrary::~ComServerLibrary()
{
    // A library that says it is still in use (a pending timer or worker) is left loaded.
    if (m_module && CanUnloadNow() == S_OK) FreeLibrary(m_module);
}

HRESULT ComServerLibrary::CreateInstance(REFCLSID clsid, REFIID iid, void** object) const
{
    IClassFactory* factory = nullptr;
    HRESULT hr = GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(nullptr, iid, object);
    factory->Release();
    return hr;
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

}  // namespace testsupport

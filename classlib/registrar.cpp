#include "classlib/registrar.h"

#include "classlib/registrar_script.h"

using registrar::KeyRule;
using registrar::ScriptNode;

namespace {

// Syntax errors and unknown replacements are reported as the class library does.
constexpr HRESULT kScriptError = DISP_E_EXCEPTION;

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    LSTATUS Create(HKEY parent, const std::wstring& name)
    {
        Close();
        return RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &m_key,
                               nullptr);
    }
    LSTATUS Open(HKEY parent, const std::wstring& name)
    {
        Close();
        return RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &m_key);
    }
    void Close()
    {
        if (m_key) RegCloseKey(m_key);
        m_key = nullptr;
    }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

LSTATUS DeleteTreeIfPresent(HKEY parent, const std::wstring& name)
{
    LSTATUS status = RegDeleteTreeW(parent, name.c_str());
    if (status == ERROR_SUCCESS) status = RegDeleteKeyW(parent, name.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

LSTATUS SetValue(HKEY key, const wchar_t* name, const registrar::ScriptValue& value)
{
    return RegSetValueExW(key, name, 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
}

bool HasSubkeys(HKEY key)
{
    DWORD subkeys = 0;
    return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS && subkeys > 0;
}

LSTATUS RegisterNodes(HKEY parent, const std::vector<ScriptNode>& nodes);
LSTATUS UnregisterNodes(HKEY parent, const std::vector<ScriptNode>& nodes);

LSTATUS RegisterNode(HKEY parent, const ScriptNode& node)
{
    if (node.isNamedValue) return SetValue(parent, node.name.c_str(), node.value);
    if (node.rule == KeyRule::Delete) return DeleteTreeIfPresent(parent, node.name);
    if (node.rule == KeyRule::ForceRemove) {
        const LSTATUS status = DeleteTreeIfPresent(parent, node.name);
        if (status != ERROR_SUCCESS) return status;
    }
    RegKey key;
    LSTATUS status = key.Create(parent, node.name);
    if (status == ERROR_SUCCESS && node.value.present) status = SetValue(key.Get(), nullptr, node.value);
    if (status == ERROR_SUCCESS) status = RegisterNodes(key.Get(), node.children);
    return status;
}

LSTATUS RegisterNodes(HKEY parent, const std::vector<ScriptNode>& nodes)
{
    for (const auto& node : nodes) {
        const LSTATUS status = RegisterNode(parent, node);
        if (status != ERROR_SUCCESS) return status;
    }
    return ERROR_SUCCESS;
}

LSTATUS UnregisterNode(HKEY parent, const ScriptNode& node)
{
    if (node.isNamedValue) {
        const LSTATUS status = RegDeleteValueW(parent, node.name.c_str());
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    switch (node.rule) {
    case KeyRule::Delete:
        return ERROR_SUCCESS;
    case KeyRule::ForceRemove:
        return DeleteTreeIfPresent(parent, node.name);
    case KeyRule::NoRemove:
    case KeyRule::Normal:
        break;
    }
    RegKey key;
    LSTATUS status = key.Open(parent, node.name);
    if (status == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (status == ERROR_SUCCESS) status = UnregisterNodes(key.Get(), node.children);
    if (status != ERROR_SUCCESS || node.rule == KeyRule::NoRemove) return status;
    const bool keep = HasSubkeys(key.Get());
    key.Close();
    return keep ? ERROR_SUCCESS : DeleteTreeIfPresent(parent, node.name);
}

LSTATUS UnregisterNodes(HKEY parent, const std::vector<ScriptNode>& nodes)
{
    for (const auto& node : nodes) {
        const LSTATUS status = UnregisterNode(parent, node);
        if (status != ERROR_SUCCESS) return status;
    }
    return ERROR_SUCCESS;
}

}  // namespace

void CRegistrar::AddReplacement(const std::wstring& name, const std::wstring& value)
{
    m_replacements[registrar::UpperCase(name)] = value;
}

HRESULT CRegistrar::Run(const std::wstring& script, bool doRegister)
{
    std::wstring text;
    std::vector<registrar::ScriptRoot> roots;
    if (!registrar::Preprocess(script, m_replacements, text) || !registrar::ParseScript(text, roots))
        return kScriptError;
    for (const auto& root : roots) {
        RegKey perUserClasses;
        HKEY base = root.root;
        if (root.isClassesRoot && m_perUser) {
            const LSTATUS status = perUserClasses.Create(HKEY_CURRENT_USER, L"Software\\Classes");
            if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
            base = perUserClasses.Get();
        }
        const LSTATUS status = doRegister ? RegisterNodes(base, root.keys) : UnregisterNodes(base, root.keys);
        if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    }
    return S_OK;
}

HRESULT CRegistrar::RunResource(HMODULE module, UINT id, LPCWSTR type, bool doRegister)
{
    const std::wstring script = LoadScriptResource(module, id, type);
    if (script.empty()) return HRESULT_FROM_WIN32(ERROR_RESOURCE_DATA_NOT_FOUND);
    return Run(script, doRegister);
}

HRESULT CRegistrar::ResourceRegister(HMODULE module, UINT id, LPCWSTR type)
{
    return RunResource(module, id, type, true);
}

HRESULT CRegistrar::ResourceUnregister(HMODULE module, UINT id, LPCWSTR type)
{
    return RunResource(module, id, type, false);
}

std::wstring LoadScriptResource(HMODULE module, UINT id, LPCWSTR type)
{
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const auto* data = handle ? static_cast<const char*>(LockResource(handle)) : nullptr;
    const DWORD size = info ? SizeofResource(module, info) : 0;
    if (!data || size == 0) return {};
    if (size >= 2 && static_cast<unsigned char>(data[0]) == 0xFF && static_cast<unsigned char>(data[1]) == 0xFE)
        return std::wstring(reinterpret_cast<const wchar_t*>(data + 2), (size - 2) / sizeof(wchar_t));
    const int length = MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), text.data(), length);
    return text;
}

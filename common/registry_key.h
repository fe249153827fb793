#pragma once
// Owns one open registry key; the destructor closes it.
#include <windows.h>

class CRegistryKey {
public:
    CRegistryKey() noexcept = default;
    ~CRegistryKey() { Close(); }
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // A key already open in this wrapper is closed first. On failure no key is open.
    bool Open(HKEY root, LPCWSTR subKey, REGSAM access) noexcept;
    // Opens the key, creating it (non-volatile) when it is missing, with full access.
    bool Create(HKEY root, LPCWSTR subKey) noexcept;

    // Reads a value of at most 4 bytes, of any registry type, as a little-endian
    // number (missing high bytes are zero). value is 0 whenever false is returned.
    bool GetDword(LPCWSTR name, DWORD& value) const noexcept;
    // Writes a REG_DWORD and flushes the key at once.
    bool SetDword(LPCWSTR name, DWORD value) noexcept;

    // Returns the status of RegCloseKey; harmless on a closed wrapper.
    LONG Close() noexcept;

    HKEY Handle() const noexcept { return m_key; }

private:
    HKEY m_key = nullptr;
};

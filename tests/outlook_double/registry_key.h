#pragma once
// An open registry key that closes itself, with the reads the host driver needs.
#include <windows.h>

#include <string>

namespace outlook_double {

class RegistryKey {
public:
    RegistryKey(HKEY root, const std::wstring& path);
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool IsOpen() const { return key_ != nullptr; }
    LONG OpenResult() const { return openResult_; }
    bool ReadText(const wchar_t* name, std::wstring* text) const;  // name NULL: default value
    bool ReadDword(const wchar_t* name, DWORD* value) const;

private:
    HKEY key_ = nullptr;
    LONG openResult_;
};

}  // namespace outlook_double

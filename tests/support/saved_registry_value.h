#pragma once
// One registry value as it was, to be put back after a test changed it.
#include <windows.h>

#include <vector>

namespace testsupport {

struct SavedRegistryValue {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;

    // name null or empty: the key's default value.
    static SavedRegistryValue Save(HKEY key, const wchar_t* name);
    // Writes the value back, or deletes it when it was not there.
    void Restore(HKEY key, const wchar_t* name) const;
};

}  // namespace testsupport

#pragma once
// A file in the temporary folder for the duration of a test.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/outlook_double/file_bytes.h"

namespace outlook_double {

class TempFile {
public:
    TempFile(const std::wstring& name, const std::vector<BYTE>& bytes) {
        wchar_t folder[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, folder);
        path_ = std::wstring(folder) + name;
        WriteFileBytes(path_, bytes);
    }
    ~TempFile() { DeleteFileW(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

}  // namespace outlook_double

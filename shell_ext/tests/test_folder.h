#pragma once
// Files of one test, in a fresh temporary folder deleted with all it holds.
#include "tests/engine/test_engine.h"

#include <string>

class TestFolder {
public:
    std::wstring operator/(const std::wstring& name) const { return m_folder.Path() + L"\\" + name; }
    // Creates (or replaces) the file, and its folder when that is missing.
    void Write(const std::wstring& name, const std::string& content = "picture") const;
    bool Has(const std::wstring& name) const;
    // The first 63 bytes of the file.
    std::string Content(const std::wstring& name) const;

private:
    test_engine::ScopedTempFolder m_folder;
};

#pragma once
// Puts a function of our own in place of one that this test program (or another loaded
// module) imports, for the lifetime of the object. The replacement calls the real function through Original(),
// so the program still talks to the real system; the test only sees the calls go by.
#include <windows.h>

class ImportSpy {
public:
    // module null: the test program itself.
    ImportSpy(const char* dllName, const char* functionName, void* replacement, HMODULE module = nullptr);
    ~ImportSpy();
    ImportSpy(const ImportSpy&) = delete;
    ImportSpy& operator=(const ImportSpy&) = delete;

    bool Installed() const { return m_slot != nullptr; }
    void* Original() const { return m_original; }

private:
    void** m_slot = nullptr;
    void* m_original = nullptr;
};

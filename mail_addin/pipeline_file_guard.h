#pragma once
// A file that one pipeline run made: deleted on every way out of the run's block, an
// exception included, unless the run keeps it.
#include <windows.h>

class CRunFileGuard {
public:
    // path is read when the block ends: a buffer that the engine rewrites names the file it
    // wrote. An empty path deletes nothing.
    explicit CRunFileGuard(const wchar_t* path) : m_path(path) {}
    ~CRunFileGuard()
    {
        if (m_path && *m_path)
            DeleteFileW(m_path);
    }
    CRunFileGuard(const CRunFileGuard&) = delete;
    CRunFileGuard& operator=(const CRunFileGuard&) = delete;

    void Keep() { m_path = nullptr; }

private:
    const wchar_t* m_path;
};

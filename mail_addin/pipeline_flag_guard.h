#pragma once
// Sets one of the pipeline's re-entrancy flags for a block and clears it on every way out,
// an exception included.
class CPipelineFlagGuard {
public:
    CPipelineFlagGuard(bool& flag, void (*clear)()) : m_clear(clear) { flag = true; }
    ~CPipelineFlagGuard() { m_clear(); }
    CPipelineFlagGuard(const CPipelineFlagGuard&) = delete;
    CPipelineFlagGuard& operator=(const CPipelineFlagGuard&) = delete;

private:
    void (*m_clear)();
};

#pragma once
// Shows the wait cursor for its scope and puts the earlier cursor back when it ends.
#include <windows.h>

class CWaitCursor {
public:
    CWaitCursor() : m_previous(SetCursor(WaitCursor())) {}
    ~CWaitCursor() { SetCursor(m_previous); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    // A shared system cursor: loaded once, never destroyed.
    static HCURSOR WaitCursor() {
        static const HCURSOR cursor = LoadCursorW(nullptr, IDC_WAIT);
        return cursor;
    }

    HCURSOR m_previous;
};

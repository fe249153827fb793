#pragma once
// A window object over an HWND, with the handlers and helpers that dialogs use.
// A CWnd does not own its window unless a derived class creates it.
#include "classlib/msgmap.h"

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    explicit CWnd(HWND window) : m_hWnd(window) {}
    ~CWnd() override;
    CWnd(const CWnd&) = default;
    CWnd& operator=(const CWnd&) = default;

    HWND GetSafeHwnd() const { return m_hWnd; }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    CWnd GetDlgItem(int id) const;
    void CheckDlgButton(int id, UINT check) const;
    UINT IsDlgButtonChecked(int id) const;
    void SetWindowText(LPCWSTR text) const;
    void GetWindowRect(LPRECT rect) const;
    void GetClientRect(LPRECT rect) const;
    BOOL IsIconic() const;
    HICON SetIcon(HICON icon, BOOL bigIcon) const;
    // Centres the window over its owner, or over the work area when it has none.
    void CenterWindow() const;

    // Message handlers whose default is the window's own default processing.
    void OnPaint() { Default(); }
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message) { return static_cast<BOOL>(Default()); }
    HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }

    HWND m_hWnd = nullptr;

    DECLARE_MESSAGE_MAP()

protected:

    // The default processing of the message being handled.
    virtual LRESULT Default();

    // Runs the map's handler for a message. FALSE: no handler, the default applies.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // WM_COMMAND not found in the map; the base offers it to the application.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    CurrentMessage m_currentMessage;
};

// Shows the hand cursor, as over a link, when the mouse is over the child control id of
// parent; TRUE when it did, which a WM_SETCURSOR handler then returns.
BOOL SetHandCursorOverChild(const CWnd& parent, int id);

// A paint context for the duration of a WM_PAINT handler (BeginPaint/EndPaint).
class CPaintDC {
public:
    explicit CPaintDC(CWnd* window);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon) const { return ::DrawIcon(m_hDC, x, y, icon); }

    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
    HDC m_hDC;
};

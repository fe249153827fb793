#include "classlib/wnd.h"

#include "classlib/win_app.h"

CWnd::~CWnd()
{
    // A window object that dies while it is the application's main window must not be
    // reached through that pointer afterwards.
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this)
        app->m_pMainWnd = nullptr;
}

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

CWnd CWnd::GetDlgItem(int id) const
{
    return CWnd(::GetDlgItem(m_hWnd, id));
}

void CWnd::CheckDlgButton(int id, UINT check) const
{
    ::CheckDlgButton(m_hWnd, id, check);
}

UINT CWnd::IsDlgButtonChecked(int id) const
{
    return ::IsDlgButtonChecked(m_hWnd, id);
}

void CWnd::SetWindowText(LPCWSTR text) const
{
    ::SetWindowTextW(m_hWnd, text);
}

void CWnd::GetWindowRect(LPRECT rect) const
{
    if (!::GetWindowRect(m_hWnd, rect))
        SetRectEmpty(rect);
}

void CWnd::GetClientRect(LPRECT rect) const
{
    if (!::GetClientRect(m_hWnd, rect))
        SetRectEmpty(rect);
}

BOOL CWnd::IsIconic() const
{
    return ::IsIconic(m_hWnd);
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) const
{
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                                               reinterpret_cast<LPARAM>(icon)));
}

void CWnd::CenterWindow() const
{
    RECT window;
    RECT area;
    if (!::GetWindowRect(m_hWnd, &window))
        return;
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (!(owner && ::IsWindowVisible(owner) && ::GetWindowRect(owner, &area)) &&
        !::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        return;
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int left = area.left + (area.right - area.left - width) / 2;
    int top = area.top + (area.bottom - area.top - height) / 2;
    if (left < area.left)
        left = area.left;
    if (top < area.top)
        top = area.top;
    ::SetWindowPos(m_hWnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CWnd::Default()
{
    return ::DefWindowProcW(m_hWnd, m_currentMessage.message, m_currentMessage.wParam,
                            m_currentMessage.lParam);
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    CWinApp* app = AfxGetApp();
    return app ? app->OnCmdMsg(LOWORD(wParam), HIWORD(wParam)) : FALSE;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    *result = 0;
    const CurrentMessage outer = m_currentMessage;
    m_currentMessage = { message, wParam, lParam };
    BOOL handled = FALSE;
    if (message == WM_COMMAND) {
        handled = OnCmdMsg(LOWORD(wParam), HIWORD(wParam)) || OnCommand(wParam, lParam);
    } else if (const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message, 0, 0)) {
        handled = TRUE;
        switch (entry->nSig) {
        case AfxSig_v_v:
            (this->*reinterpret_cast<void (CWnd::*)()>(entry->pfn))();
            break;
        case AfxSig_hcur_v:
            *result = reinterpret_cast<LRESULT>(
                (this->*reinterpret_cast<HCURSOR (CWnd::*)()>(entry->pfn))());
            break;
        case AfxSig_b_W_u_u: {
            CWnd target(reinterpret_cast<HWND>(wParam));
            *result = (this->*reinterpret_cast<BOOL (CWnd::*)(CWnd*, UINT, UINT)>(entry->pfn))(
                &target, LOWORD(lParam), HIWORD(lParam));
            break;
        }
        }
    }
    m_currentMessage = outer;
    return handled;
}
#pragma GCC diagnostic pop

BOOL SetHandCursorOverChild(const CWnd& parent, int id)
{
    POINT cursor;
    RECT child;
    parent.GetDlgItem(id).GetWindowRect(&child);
    if (!::GetCursorPos(&cursor) || !::PtInRect(&child, cursor))
        return FALSE;
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
}

CPaintDC::CPaintDC(CWnd* window) : m_hWnd(window->m_hWnd), m_hDC(::BeginPaint(m_hWnd, &m_ps)) {}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
}

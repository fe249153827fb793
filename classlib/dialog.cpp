#include "classlib/dialog.h"

#include "classlib/win_app.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(CDialogEx, CDialog)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal()
{
    const HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    const INT_PTR result = ::DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate),
                                             parent, &CDialog::DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

void CDialog::EndDialog(int result)
{
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case IDOK:
            OnOK();
            return TRUE;
        case IDCANCEL:
            OnCancel();
            return TRUE;
        }
    }
    return CWnd::OnCommand(wParam, lParam);
}

LRESULT CDialog::Default()
{
    const bool outerDefaulting = m_defaulting;
    const UINT outerMessage = m_defaultingMessage;
    m_defaulting = true;
    m_defaultingMessage = m_currentMessage.message;
    const LRESULT result = ::DefDlgProcW(m_hWnd, m_currentMessage.message, m_currentMessage.wParam,
                                         m_currentMessage.lParam);
    m_defaulting = outerDefaulting;
    m_defaultingMessage = outerMessage;
    return result;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
        RECT before = {};
        ::GetWindowRect(window, &before);
        const BOOL result = dialog->OnInitDialog();
        // A top-level dialog that its initialisation did not place is centred.
        RECT after = {};
        ::GetWindowRect(window, &after);
        if (!(::GetWindowLongW(window, GWL_STYLE) & WS_CHILD) && ::EqualRect(&before, &after))
            dialog->CenterWindow();
        return result;
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog)
        return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        return FALSE;
    }
    return dialog->Dispatch(message, wParam, lParam);
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_defaulting && message == m_defaultingMessage) {
        m_defaulting = false;
        return FALSE;
    }
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        return FALSE;
    switch (message) {
    // Messages whose result a dialog procedure returns directly.
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

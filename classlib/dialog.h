#pragma once
// Modal dialogs from a dialog template, over DialogBoxParamW. Messages reach the
// derived class's message map; OK and Cancel end the dialog unless the map handles them.
#include "classlib/wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until it ends; returns the value given to EndDialog, or -1 when
    // the dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int result);

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    DECLARE_MESSAGE_MAP()

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // The dialog manager's own processing of the message being handled.
    LRESULT Default() override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    // Set while Default() hands a message back to the dialog manager, which calls
    // DialogProc again with it: that call must answer "not handled".
    UINT m_defaultingMessage = 0;
    bool m_defaulting = false;
};

// The extended dialog of the class library; it behaves as CDialog here.
class CDialogEx : public CDialog {
public:
    explicit CDialogEx(UINT templateId, CWnd* parent = nullptr) : CDialog(templateId, parent) {}

    DECLARE_MESSAGE_MAP()

protected:
};

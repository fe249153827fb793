#pragma once
// The preferences dialog (template 203): the mail's default profile, the update check,
// the improvement program and the optimization of added attachments. It reads the
// settings when it opens and stores them when OK is pressed; its version label opens
// the home page.
#include "classlib/dialog.h"

class CPreferencesDlg : public CDialog {
public:
    explicit CPreferencesDlg(CWnd* parent = nullptr);
    ~CPreferencesDlg() override = default;

    // Runs the dialog; while it runs, OpenWindow answers its window.
    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;

    // The preferences dialog open in this process, or null: a second is never opened.
    static HWND OpenWindow();

    void OnBnClickedOk();
    void OnStnClickedVersion();
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);

    DECLARE_MESSAGE_MAP()

private:
    void CheckIf(int id, bool checked) const;
    bool IsChecked(int id) const;
    void ShowVersionLabel() const;
};

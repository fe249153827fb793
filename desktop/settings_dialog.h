#pragma once
// The settings dialog: the desktop profile, where results go, the update check and the
// improvement program; its version label opens the home page.
#include "classlib/dialog.h"
#include "desktop/shared.h"

class CPlenzarFileDlg : public CDialogEx {
public:
    CPlenzarFileDlg();
    ~CPlenzarFileDlg() override = default;

    BOOL OnInitDialog() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnBnClickedOk();
    void OnStnClickedVersion();
    BOOL OnSetCursor(CWnd* window, UINT hitTest, UINT message);

    DECLARE_MESSAGE_MAP()

private:
    void ShowProfile(PlenzarProfile profile) const;
    PlenzarProfile CheckedProfile() const;
    void ShowVersionLabel() const;

    HICON m_hIcon;
    CSettings m_settings;
};

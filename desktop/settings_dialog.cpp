#include "desktop/settings_dialog.h"

#include "classlib/win_app.h"
#include "common/vendor_urls.h"
#include "desktop/resource.h"

#include <shellapi.h>

namespace {

// The profile radios from Full down to Tiny, with the profile each one stands for.
struct ProfileRadio {
    int id;
    PlenzarProfile profile;
};
constexpr ProfileRadio kProfileRadios[] = {
    { IDC_RADIO_FULL, 4 }, { IDC_RADIO_LARGE, 3 }, { IDC_RADIO_MEDIUM, 2 },
    { IDC_RADIO_SMALL, 1 }, { IDC_RADIO_TINY, 0 },
};

// With no profile radio checked, OK stores Large.
constexpr PlenzarProfile kProfileWhenNoneChecked = 3;

UINT CheckState(bool checked)
{
    return checked ? BST_CHECKED : BST_UNCHECKED;
}

}  // namespace

BEGIN_MESSAGE_MAP(CPlenzarFileDlg, CDialogEx)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDOK, &CPlenzarFileDlg::OnBnClickedOk)
    ON_STN_CLICKED(IDC_VERSION_LABEL, &CPlenzarFileDlg::OnStnClickedVersion)
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CPlenzarFileDlg::CPlenzarFileDlg()
    : CDialogEx(IDD_PLENZARFILE_DIALOG),
      m_hIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME)))
{
}

BOOL CPlenzarFileDlg::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    ShowProfile(m_settings.appDefaultPlenzarProfile);
    const bool toDesktop = m_settings.appOutputToDesktop == 1;
    CheckDlgButton(IDC_RADIO_DESKTOP, CheckState(toDesktop));
    CheckDlgButton(IDC_RADIO_SAME_FOLDER, CheckState(!toDesktop));
    CheckDlgButton(IDC_CHECK_FOR_UPDATE, CheckState(m_settings.checkForUpdate != 0));
    CheckDlgButton(IDC_PRODUCT_IMPROVEMENT, CheckState(m_settings.productImprovement != 0));
    ShowVersionLabel();
    return TRUE;
}

void CPlenzarFileDlg::ShowProfile(PlenzarProfile profile) const
{
    for (const ProfileRadio& radio : kProfileRadios)
        CheckDlgButton(radio.id, CheckState(radio.profile == profile));
}

void CPlenzarFileDlg::ShowVersionLabel() const
{
    GetDlgItem(IDC_VERSION_LABEL).SetWindowText(FormatVersionLabel(IDS_VERSION_FORMAT).c_str());
}

PlenzarProfile CPlenzarFileDlg::CheckedProfile() const
{
    PlenzarProfile profile = kProfileWhenNoneChecked;
    for (const ProfileRadio& radio : kProfileRadios) {
        if (IsDlgButtonChecked(radio.id) == BST_CHECKED)
            profile = radio.profile;
    }
    return profile;
}

void CPlenzarFileDlg::OnBnClickedOk()
{
    const PlenzarProfile profile = CheckedProfile();
    CUsageStatistics::CountProfile(profile);  // counts only while the program's store exists

    m_settings.appDefaultPlenzarProfile = profile;
    m_settings.Save(SETTING_APP_DEFAULT_PROFILE);
    m_settings.appOutputToDesktop = IsDlgButtonChecked(IDC_RADIO_DESKTOP) == BST_CHECKED ? 1 : 0;
    m_settings.Save(SETTING_APP_OUTPUT_TO_DESKTOP);
    m_settings.checkForUpdate = IsDlgButtonChecked(IDC_CHECK_FOR_UPDATE) == BST_CHECKED ? 1 : 0;
    m_settings.Save(SETTING_CHECK_FOR_UPDATE);
    m_settings.productImprovement = IsDlgButtonChecked(IDC_PRODUCT_IMPROVEMENT) == BST_CHECKED ? 1 : 0;
    m_settings.Save(SETTING_PRODUCT_IMPROVEMENT);

    CDialogEx::OnOK();
}

BOOL CPlenzarFileDlg::OnSetCursor(CWnd* window, UINT hitTest, UINT message)
{
    if (SetHandCursorOverChild(*this, IDC_VERSION_LABEL))
        return TRUE;
    return CDialogEx::OnSetCursor(window, hitTest, message);
}

void CPlenzarFileDlg::OnStnClickedVersion()
{
    ::ShellExecuteW(nullptr, L"open", kHomePageUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

void CPlenzarFileDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialogEx::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CPlenzarFileDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

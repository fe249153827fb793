#include "mail_addin/preferences_dialog.h"

#include <shellapi.h>


#include "classlib/win_app.h"
#include "common/settings.h"
#include "common/vendor_urls.h"
#include "common/version_info.h"
#include "mail_addin/resource.h"

namespace {

// The profile radios from Full down to Tiny, with the profile each one stands for.
struct ProfileRadio {
    int id;
    PlenzarProfile profile;
};
constexpr ProfileRadio kProfileRadios[] = {
    { IDC_RADIO_FULL, PROFILE_FULL }, { IDC_RADIO_LARGE, PROFILE_LARGE },
    { IDC_RADIO_MEDIUM, PROFILE_MEDIUM }, { IDC_RADIO_SMALL, PROFILE_SMALL },
    { IDC_RADIO_TINY, PROFILE_TINY },
};

// With no profile radio checked, OK stores Large.
constexpr PlenzarProfile kProfileWhenNoneChecked = PROFILE_LARGE;

// Only Outlook's user-interface thread opens the dialog: no lock.
HWND g_openPreferencesWindow = nullptr;

}  // namespace

BEGIN_MESSAGE_MAP(CPreferencesDlg, CDialog)
    ON_BN_CLICKED(IDOK, &CPreferencesDlg::OnBnClickedOk)
    ON_STN_CLICKED(IDC_VERSION_LABEL, &CPreferencesDlg::OnStnClickedVersion)
    ON_WM_SETCURSOR()
END_MESSAGE_MAP()

CPreferencesDlg::CPreferencesDlg(CWnd* parent) : CDialog(IDD_PREFERENCES, parent) {}

INT_PTR CPreferencesDlg::DoModal()
{
    struct COpenWindowReset {
        ~COpenWindowReset() { g_openPreferencesWindow = nullptr; }
    } reset;
    return CDialog::DoModal();
}

HWND CPreferencesDlg::OpenWindow()
{
    return g_openPreferencesWindow && ::IsWindow(g_openPreferencesWindow) ? g_openPreferencesWindow : nullptr;
}

BOOL CPreferencesDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    g_openPreferencesWindow = m_hWnd;
    const CSettings settings;
    for (const ProfileRadio& radio : kProfileRadios)
        CheckIf(radio.id, settings.mailDefaultPlenzarProfile == radio.profile);
    CheckIf(IDC_PLENZAR_ON_ADD, settings.mailPlenzarOnAdd != 0);
    CheckIf(IDC_CHECK_FOR_UPDATE, settings.checkForUpdate != 0);
    CheckIf(IDC_PRODUCT_IMPROVEMENT, settings.productImprovement != 0);
    ShowVersionLabel();
    return TRUE;
}

void CPreferencesDlg::CheckIf(int id, bool checked) const
{
    CheckDlgButton(id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool CPreferencesDlg::IsChecked(int id) const
{
    return IsDlgButtonChecked(id) == BST_CHECKED;
}

void CPreferencesDlg::ShowVersionLabel() const
{
    GetDlgItem(IDC_VERSION_LABEL).SetWindowText(FormatVersionLabel(IDS_VERSION_LABEL).c_str());
}

void CPreferencesDlg::OnBnClickedOk()
{
    // Read afresh, so that values changed elsewhere while the dialog was open survive.
    CSettings settings;
    PlenzarProfile profile = kProfileWhenNoneChecked;
    for (const ProfileRadio& radio : kProfileRadios) {
        if (IsChecked(radio.id))
            profile = radio.profile;
    }
    settings.mailDefaultPlenzarProfile = profile;
    settings.Save(SETTING_MAIL_DEFAULT_PROFILE);
    settings.checkForUpdate = IsChecked(IDC_CHECK_FOR_UPDATE) ? 1 : 0;
    settings.Save(SETTING_CHECK_FOR_UPDATE);
    settings.productImprovement = IsChecked(IDC_PRODUCT_IMPROVEMENT) ? 1 : 0;
    settings.Save(SETTING_PRODUCT_IMPROVEMENT);
    settings.mailPlenzarOnAdd = IsChecked(IDC_PLENZAR_ON_ADD) ? 1 : 0;
    settings.Save(SETTING_MAIL_PLENZAR_ON_ADD);
    // Every value of the record, so the key holds all of them afterwards.
    settings.Save(0xFFFF);
    CDialog::OnOK();
}

void CPreferencesDlg::OnStnClickedVersion()
{
    ::ShellExecuteW(nullptr, L"open", kHomePageUrl, nullptr, nullptr, SW_SHOWNORMAL);
}

BOOL CPreferencesDlg::OnSetCursor(CWnd* window, UINT hitTest, UINT message)
{
    if (SetHandCursorOverChild(*this, IDC_VERSION_LABEL))
        return TRUE;
    return CDialog::OnSetCursor(window, hitTest, message);
}

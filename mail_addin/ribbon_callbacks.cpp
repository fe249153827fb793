// Not built yet: every callback answers E_NOTIMPL.
#include "mail_addin/ribbon_callbacks.h"

HRESULT RibbonGetCustomUI(BSTR, BSTR*) { return E_NOTIMPL; }
HRESULT RibbonButtonClicked(IDispatch*, IRibbonUI*, IDispatch*) { return E_NOTIMPL; }
HRESULT RibbonGetPressed(IDispatch*, IDispatch*, VARIANT_BOOL*) { return E_NOTIMPL; }
HRESULT RibbonGetImage(IDispatch*, IDispatch*, IPictureDisp**) { return E_NOTIMPL; }
HRESULT RibbonToggleButtonClicked(IDispatch*, IRibbonUI*, IDispatch*, VARIANT_BOOL*) { return E_NOTIMPL; }
HRESULT RibbonOnLoad(IDispatch*, IRibbonUI**) { return E_NOTIMPL; }
HRESULT RibbonGetLabel(IDispatch*, IDispatch*, BSTR*) { return E_NOTIMPL; }

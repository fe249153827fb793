#pragma once
// The ribbon: the two definitions handed to Outlook and the six callbacks of
// IRibbonCallback. The add-in object forwards to these with the Outlook Application it
// holds and its own IRibbonUI member. None lets an exception out.
#include <windows.h>
#include <ocidl.h>

#include "mail_addin/office/office_interfaces.h"

HRESULT RibbonGetCustomUI(BSTR ribbonId, BSTR* ribbonXml);
HRESULT RibbonButtonClicked(IDispatch* application, IRibbonUI* ribbonUi, IDispatch* control);
HRESULT RibbonGetPressed(IDispatch* application, IDispatch* control, VARIANT_BOOL* pressed);
HRESULT RibbonGetImage(IDispatch* application, IDispatch* control, IPictureDisp** image);
HRESULT RibbonToggleButtonClicked(IDispatch* application, IRibbonUI* ribbonUi,
                                  IDispatch* control, VARIANT_BOOL* pressed);
// Replaces *ribbonUiMember with the ribbon's IRibbonUI and shares it with g_ribbonUi.
HRESULT RibbonOnLoad(IDispatch* ribbon, IRibbonUI** ribbonUiMember);
HRESULT RibbonGetLabel(IDispatch* application, IDispatch* control, BSTR* label);

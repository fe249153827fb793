#include "mail_addin/ribbon_control.h"

#include "classlib/dispatch_driver.h"
#include "mail_addin/outlook_access.h"

namespace {

std::wstring GetControlText(IDispatch* control, DISPID property)
{
    std::wstring text;
    COleDispatchDriver(control, FALSE).GetProperty(property, VT_BSTR, &text);
    return text;
}

}  // namespace

std::wstring GetRibbonControlId(IDispatch* control)
{
    return GetControlText(control, outlook::kRibbonControlId);
}

std::wstring GetRibbonControlTag(IDispatch* control)
{
    return GetControlText(control, outlook::kRibbonControlTag);
}

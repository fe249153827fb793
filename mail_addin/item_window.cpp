#include "mail_addin/item_window.h"

#include "classlib/dispatch_driver.h"
#include "mail_addin/outlook_access.h"

namespace {

LPDISPATCH GetObject(IDispatch* object, DISPID dispid, WORD kind)
{
    LPDISPATCH result = nullptr;
    COleDispatchDriver(object, FALSE).InvokeHelper(dispid, kind, VT_DISPATCH, &result, VTS_NONE);
    return result;
}

// COM identity: the same object answers IUnknown with the same pointer.
bool IsSameObject(IDispatch* first, IDispatch* second)
{
    if (!first || !second)
        return false;
    IUnknown* firstIdentity = nullptr;
    IUnknown* secondIdentity = nullptr;
    const bool same = SUCCEEDED(first->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&firstIdentity))) &&
                      SUCCEEDED(second->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&secondIdentity))) &&
                      firstIdentity == secondIdentity;
    if (firstIdentity)
        firstIdentity->Release();
    if (secondIdentity)
        secondIdentity->Release();
    return same;
}

// A Context that is no Outlook object, or that cannot be asked, is no Inspector.
bool IsInspector(IDispatch* object)
{
    try {
        return GetOutlookClass(object) == OL_INSPECTOR;
    } catch (CMemoryException*) {
        throw;
    } catch (CException* e) {
        e->Delete();
    }
    return false;
}

}  // namespace

long GetOutlookClass(IDispatch* object)
{
    long outlookClass = 0;
    COleDispatchDriver(object, FALSE).GetProperty(outlook::kClass, VT_I4, &outlookClass);
    return outlookClass;
}

bool IsMailItem(IDispatch* item)
{
    return GetOutlookClass(item) == OL_MAIL;
}

bool IsActiveInlineResponse(IDispatch* item)
{
    COleDispatchDriver application(GetObject(item, outlook::kItemApplication, DISPATCH_PROPERTYGET));
    if (!application.m_lpDispatch)
        return false;
    COleDispatchDriver explorer(GetObject(application.m_lpDispatch, outlook::kActiveExplorer, DISPATCH_METHOD));
    if (!explorer.m_lpDispatch)
        return false;
    COleDispatchDriver inlineResponse(GetObject(explorer.m_lpDispatch, outlook::kActiveInlineResponse, DISPATCH_PROPERTYGET));
    return IsSameObject(inlineResponse.m_lpDispatch, item);
}

LPDISPATCH GetControlWindowItem(IDispatch* application, IDispatch* control)
{
    COleDispatchDriver window(GetObject(control, outlook::kRibbonControlContext, DISPATCH_PROPERTYGET));
    if (!window.m_lpDispatch || !IsInspector(window.m_lpDispatch))
        window.AttachDispatch(GetObject(application, outlook::kActiveInspector, DISPATCH_METHOD));
    if (!window.m_lpDispatch)
        return nullptr;
    return GetObject(window.m_lpDispatch, outlook::kCurrentItem, DISPATCH_PROPERTYGET);
}

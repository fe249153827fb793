#include "mail_addin/item_window.h"

#include <ole2.h>

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

// The top-level window of an Outlook window object, or null when it answers none.
HWND TopLevelWindowOf(IDispatch* window)
{
    IOleWindow* oleWindow = nullptr;
    if (!window || FAILED(window->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&oleWindow))) || !oleWindow)
        return nullptr;
    HWND handle = nullptr;
    if (FAILED(oleWindow->GetWindow(&handle)))
        handle = nullptr;
    oleWindow->Release();
    return handle && IsWindow(handle) ? GetAncestor(handle, GA_ROOT) : nullptr;
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

HWND GetControlOwnerWindow(IDispatch* control)
{
    HWND owner = nullptr;
    try {
        COleDispatchDriver window(GetObject(control, outlook::kRibbonControlContext, DISPATCH_PROPERTYGET));
        owner = TopLevelWindowOf(window.m_lpDispatch);
    } catch (CMemoryException*) {
        throw;
    } catch (CException* e) {
        e->Delete();  // a control without a window: the active window owns the dialog
    }
    return owner ? owner : GetOutlookActiveWindow();
}

HWND GetOutlookActiveWindow()
{
    return GetActiveWindow();
}

#include "mail_addin/event_handlers.h"

#include <iterator>
#include <string>

#include "common/text_conversion.h"
#include "common/usage_statistics.h"
#include "mail_addin/addin_globals.h"
#include "mail_addin/event_sink.h"
#include "mail_addin/item_window.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/pipeline.h"
#include "mail_addin/pipeline_steps.h"

namespace {

// Application events
constexpr DISPID kItemSend = 0xF002;
constexpr DISPID kQuit = 0xF007;
constexpr DISPID kItemLoad = 0xFBA7;
// Item events
constexpr DISPID kClose = 0xF004;
constexpr DISPID kAttachmentRemove = 0xFBAE;
constexpr DISPID kBeforeAttachmentAdd = 0xFBB0;
constexpr DISPID kUnload = 0xFBAD;

// Outlook passes objects by value; a by-reference object is taken too. Anything else
// reads as none, so that a malformed event does nothing rather than crash.
IDispatch* ObjectArgument(const VARIANTARG& arg)
{
    if (V_VT(&arg) == VT_DISPATCH)
        return V_DISPATCH(&arg);
    if (V_VT(&arg) == (VT_DISPATCH | VT_BYREF) && V_DISPATCHREF(&arg))
        return *V_DISPATCHREF(&arg);
    return nullptr;
}

// Cancel comes by reference; null when it does not.
VARIANT_BOOL* CancelArgument(const VARIANTARG& arg)
{
    return V_VT(&arg) == (VT_BOOL | VT_BYREF) ? V_BOOLREF(&arg) : nullptr;
}

// ItemSend (Item, Cancel): the kept first versions go; a mail with attachments gets the
// footer unless its profile is none, and its profile is counted. A send that another
// add-in or Outlook's own check has cancelled already leaves the mail a draft that can
// still be restored: nothing is done then.
void OnItemSend(CAppEventListener&, VARIANTARG* args)
{
    IDispatch* item = ObjectArgument(args[1]);
    const VARIANT_BOOL* cancel = CancelArgument(args[0]);
    if (!item || (cancel && *cancel != VARIANT_FALSE))
        return;
    ReleaseKeptOriginals(item);

    COleDispatchDriver attachments(GetItemAttachments(item));
    long count = 0;
    if (attachments.m_lpDispatch)
        attachments.GetProperty(outlook::kCount, VT_I4, &count);
    if (count == 0)
        return;
    const PlenzarProfile profile = GetItemProfile(item);
    // A reply written inline had its attachments left alone: no footer claims otherwise.
    if (profile != PROFILE_NONE && IsMailItem(item) && !IsActiveInlineResponse(item))
        AppendOptimizedFooter(item);
    CUsageStatistics::CountProfile(profile);
}

// Quit: nothing of Outlook stays held, so that the library may unload without calling
// into Outlook (its global destructors run under the loader lock).
void OnQuit(CAppEventListener&, VARIANTARG*)
{
    g_eventListeners.DisconnectAll();
    ReleaseGlobalObjects();
}

// ItemLoad (Item): listen to a mail, and let the ribbon ask for its state again. Outlook
// answers only Class on an item that is loading; appointments, meeting requests, tasks,
// contacts and posts are never sent as mails, so the add-in leaves them alone.
void OnItemLoad(CAppEventListener&, VARIANTARG* args)
{
    IDispatch* item = ObjectArgument(args[0]);
    if (!item || !IsMailItem(item))
        return;
    g_eventListeners.Attach(item, IID_OutlookItemEvents);
    if (g_ribbonUi)
        g_ribbonUi->Invalidate();
}

// Close (Cancel): the window may stay open (another add-in set Cancel, or the user cancels
// the save prompt that follows), so the item keeps its listener until Unload.
void OnClose(CAppEventListener&, VARIANTARG*)
{
}

// Unload: Outlook drops the item, also one that was only shown or read and never closed.
// The item may not be called any more; its listener is free to be taken again.
void OnUnload(CAppEventListener& listener, VARIANTARG*)
{
    CAppEventListener::SafeUnadvise(&listener);
}

void OnAttachmentRemove(CAppEventListener&, VARIANTARG* args)
{
    if (IDispatch* attachment = ObjectArgument(args[0]))
        OnAttachmentRemoved(attachment);
}

// BeforeAttachmentAdd (Attachment, Cancel): the addition goes on; the attachment is
// counted by extension and size, then handed to the pipeline.
void OnBeforeAttachmentAdd(CAppEventListener&, VARIANTARG* args)
{
    VARIANT_BOOL* cancel = CancelArgument(args[0]);
    if (cancel)
        *cancel = VARIANT_FALSE;
    IDispatch* attachment = ObjectArgument(args[1]);
    if (!attachment)
        return;

    const std::wstring extension = GetFileExtension(GetDispatchDisplayName(attachment));
    const CWideToUtf8 extensionUtf8(extension.c_str());
    CUsageStatistics::Count(extensionUtf8.c_str(), GetAttachmentSize(attachment));

    if (!ProcessAttachmentBeforeAdd(attachment) && cancel)
        *cancel = VARIANT_TRUE;
}

const EventHandlerEntry kApplicationEventHandlers[] = {
    {kItemSend, 2, OnItemSend},
    {kQuit, 0, OnQuit},
    {kItemLoad, 1, OnItemLoad},
};

const EventHandlerEntry kItemEventHandlers[] = {
    {kClose, 1, OnClose},
    {kAttachmentRemove, 1, OnAttachmentRemove},
    {kBeforeAttachmentAdd, 2, OnBeforeAttachmentAdd},
    {kUnload, 0, OnUnload},
};

template <size_t N>
const EventHandlerEntry* FindIn(const EventHandlerEntry (&table)[N], DISPID dispid)
{
    for (const EventHandlerEntry& entry : table) {
        if (entry.dispid == dispid)
            return &entry;
    }
    return nullptr;
}

}  // namespace

const EventHandlerEntry* FindEventHandler(REFIID eventIid, DISPID dispid)
{
    if (eventIid == IID_OutlookApplicationEvents)
        return FindIn(kApplicationEventHandlers, dispid);
    if (eventIid == IID_OutlookItemEvents)
        return FindIn(kItemEventHandlers, dispid);
    return nullptr;
}

// The pipeline's side of the item events BeforeAttachmentAdd and AttachmentRemove.
#include "mail_addin/pipeline.h"

#include <string>

#include "classlib/dispatch_driver.h"
#include "mail_addin/item_window.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/pipeline_steps.h"
#include "mail_addin/work_folder.h"

bool ProcessAttachmentBeforeAdd(IDispatch* attachment)
{
    // The pipeline's own Add, or an attachment that has its kept first version already.
    if (g_addingAttachment || !GetKeptName(attachment, GetWorkFolder()).empty())
        return true;
    LPDISPATCH itemObject = nullptr;
    COleDispatchDriver(attachment, FALSE).GetProperty(outlook::kParent, VT_DISPATCH, &itemObject);
    COleDispatchDriver item(itemObject);
    // Only a mail in a compose window of its own: there the ribbon shows what was done and
    // undoes it. An appointment's or a post's attachment, and a reply written inline in the
    // reading pane, stay as they are.
    if (itemObject && IsMailItem(itemObject) && !IsActiveInlineResponse(itemObject))
        ProcessAttachment(itemObject, attachment, PIPELINE_MODE_APPLY);
    return true;
}

void OnAttachmentRemoved(IDispatch* attachment)
{
    // During the pipeline's own Delete the replacement takes the kept first version over.
    if (g_replacingAttachment)
        return;
    const std::wstring work = GetWorkFolder();
    const std::wstring kept = GetKeptName(attachment, work);
    if (!kept.empty())
        ReleaseKeptFirstVersion(work, kept);
}

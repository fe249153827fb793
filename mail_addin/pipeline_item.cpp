// Every attachment of one mail item through the pipeline.
#include "mail_addin/pipeline.h"

#include <memory>
#include <new>
#include <vector>

#include "classlib/dispatch_driver.h"
#include "classlib/exceptions.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/pipeline_steps.h"
#include "mail_addin/work_folder.h"

namespace {

using AttachmentSnapshot = std::vector<std::unique_ptr<COleDispatchDriver>>;

// Each replacement adds an attachment and deletes one, shifting the collection's indices:
// the attachments present now are taken before any is processed.
void ProcessEachAttachment(IDispatch* item, int mode)
{
    LPDISPATCH attachmentsObject = GetItemAttachments(item);
    if (!attachmentsObject) {
        WriteLog("MI_UAs get_Attachments zero");
        return;
    }
    COleDispatchDriver attachments(attachmentsObject);
    long count = 0;
    attachments.GetProperty(outlook::kCount, VT_I4, &count);
    WriteLog("MI_UAs attachments [count:%d]", static_cast<int>(count));

    AttachmentSnapshot snapshot;
    for (int index = 1; index <= count; ++index) {
        LPDISPATCH attachment = nullptr;
        attachments.InvokeHelper(outlook::kAttachmentsItem, DISPATCH_METHOD, VT_DISPATCH, &attachment, VTS_INT,
                                 index);
        auto holder = std::make_unique<COleDispatchDriver>(attachment);
        if (attachment)
            snapshot.push_back(std::move(holder));
    }
    for (const auto& attachment : snapshot)
        ProcessAttachment(item, attachment->m_lpDispatch, mode);
}

}  // namespace

void ProcessAllAttachments(IDispatch* item, int mode)
{
    try {
        try {
            ProcessEachAttachment(item, mode);
        } catch (const std::bad_alloc&) {
            AfxThrowMemoryException();
        }
    } catch (CException* raised) {
        const CExceptionPtr error(raised);
        WriteLog("MI_UAs error: %s", ExceptionMessageUtf8(*error).c_str());
    }
}

void ReleaseKeptOriginals(IDispatch* item)
{
    ProcessAllAttachments(item, PIPELINE_MODE_RELEASE);
}

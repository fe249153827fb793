#include "mail_addin/pipeline_steps.h"

#include "classlib/exceptions.h"
#include "common/text_conversion.h"
#include "mail_addin/outlook_access.h"
#include "mail_addin/pipeline_names.h"
#include "mail_addin/work_folder_cleanup.h"

LPDISPATCH GetItemAttachments(IDispatch* item)
{
    LPDISPATCH attachments = nullptr;
    COleDispatchDriver(item, FALSE).GetProperty(outlook::kAttachments, VT_DISPATCH, &attachments);
    return attachments;
}

LONG GetAttachmentSize(IDispatch* attachment)
{
    long size = 0;
    COleDispatchDriver(attachment, FALSE).GetProperty(outlook::kSize, VT_I4, &size);
    return size;
}

void TagAttachment(IDispatch* attachment, const std::wstring& keptName)
{
    COleDispatchDriver accessor(GetPropertyAccessor(attachment));
    CComVariant value;
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(keptName.c_str());
    if (!V_BSTR(&value))
        AfxThrowMemoryException();
    accessor.InvokeHelper(outlook::kSetProperty, DISPATCH_METHOD, VT_EMPTY, nullptr, VTS_BSTR VTS_VARIANT,
                          PLENZAR_ORIG_SCHEMA_NAME, static_cast<const VARIANT*>(&value));
}

std::wstring GetKeptName(IDispatch* attachment, const std::wstring& workFolder)
{
    std::wstring kept = GetAttachmentStringProperty(attachment, PLENZAR_ORIG_SCHEMA_NAME);
    if (workFolder.empty() || !IsKeptFirstVersionName(kept))
        return {};
    const DWORD attributes = GetFileAttributesW((workFolder + kept).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    return kept;
}

void ReleaseKeptFirstVersion(const std::wstring& workFolder, const std::wstring& keptName)
{
    DeleteFileW((workFolder + keptName).c_str());
    DeleteDiagnosticCopies(workFolder, keptName);
}

std::string ExceptionMessageUtf8(const CException& exception)
{
    wchar_t message[1024] = {};
    exception.GetErrorMessage(message, 1024);
    const CWideToUtf8 utf8(message);
    return utf8.c_str() ? utf8.c_str() : "";
}

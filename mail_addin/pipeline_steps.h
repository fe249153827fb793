#pragma once
// Outlook steps that the pipeline's operations share, and the text of a caught exception
// as the log takes it.
#include <windows.h>

#include <string>

class CException;

// The item's Attachments (a reference for the caller); null when Outlook gives Nothing.
LPDISPATCH GetItemAttachments(IDispatch* item);
// The attachment's Size in bytes.
LONG GetAttachmentSize(IDispatch* attachment);
// Writes keptName into the attachment's "PlenzarOrig" through its PropertyAccessor.
void TagAttachment(IDispatch* attachment, const std::wstring& keptName);
// The attachment's "PlenzarOrig" when it names a kept first version: a name of the form the
// pipeline gives, of a file in workFolder. Empty otherwise: the attachment is untagged, or
// its tag came from elsewhere (a forwarded mail, another program, a sent mail whose kept
// first versions are gone) and is not to be trusted. Never raises for a failed Outlook call.
std::wstring GetKeptName(IDispatch* attachment, const std::wstring& workFolder);
// Deletes the kept first version keptName of workFolder and its not-smaller and fail copies:
// the mail was sent or the attachment removed.
void ReleaseKeptFirstVersion(const std::wstring& workFolder, const std::wstring& keptName);
// The exception's own message (at most 1023 UTF-16 units) as UTF-8.
std::string ExceptionMessageUtf8(const CException& exception);

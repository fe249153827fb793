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
// The attachment's "PlenzarOrig": empty when untagged, or when the tag is not a plain file
// name (one that could reach outside the work folder is not ours). Never raises for a
// failed Outlook call.
std::wstring GetKeptName(IDispatch* attachment);
// The exception's own message (at most 1023 UTF-16 units) as UTF-8.
std::string ExceptionMessageUtf8(const CException& exception);

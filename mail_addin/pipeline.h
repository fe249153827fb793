#pragma once
// The attachment pipeline: an attachment is replaced by the engine's smaller version, its
// first version kept in the work folder (named in its "PlenzarOrig" property) until the
// mail is sent, so the profile can change or go back to none (-1) any number of times.
#include <windows.h>

enum : int {
    PIPELINE_MODE_APPLY = 0,    // bring the attachment to the item's profile
    PIPELINE_MODE_RELEASE = 1,  // delete its kept first version
};

// Catch every CException of their own steps.
void ProcessAttachment(IDispatch* item, IDispatch* attachment, int mode);
void ProcessAllAttachments(IDispatch* item, int mode);
// Let Outlook's exceptions pass to the event sink.
bool ProcessAttachmentBeforeAdd(IDispatch* attachment);  // always true
void ReleaseKeptOriginals(IDispatch* item);
void OnAttachmentRemoved(IDispatch* attachment);

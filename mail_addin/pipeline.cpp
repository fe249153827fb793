// Not built yet: attachments are left as they are.
#include "mail_addin/pipeline.h"

void ProcessAttachment(IDispatch*, IDispatch*, int) {}
void ProcessAllAttachments(IDispatch*, int) {}
bool ProcessAttachmentBeforeAdd(IDispatch*) { return true; }
void ReleaseKeptOriginals(IDispatch*) {}
void OnAttachmentRemoved(IDispatch*) {}

#pragma once
// What each Outlook event does: the dispatch tables of the application and item events
// that CAppEventListener::Invoke consults.
#include <windows.h>

class CAppEventListener;

struct EventHandlerEntry {
    DISPID dispid;
    UINT arguments;  // the event's argument count; another count is refused
    // args: the positional arguments as DISPPARAMS holds them, the event's last first.
    void (*handle)(CAppEventListener& listener, VARIANTARG* args);
};

// The handler of that event for a listener of eventIid, or null: an event that is not
// handled, or a listener of neither event interface.
const EventHandlerEntry* FindEventHandler(REFIID eventIid, DISPID dispid);

#pragma once
// Which Outlook items the add-in takes over, and the window each is written in: only mails
// in a compose window of their own, where the ribbon's switch and menu show what was done
// and undo it. Every call may throw the binding's exceptions unless it says otherwise.
#include <windows.h>

// OlObjectClass values, read from any Outlook object's Class.
constexpr long OL_MAIL = 43;
constexpr long OL_INSPECTOR = 35;

// Class (0xF00A): the only member Outlook allows on an item during ItemLoad.
long GetOutlookClass(IDispatch* object);
bool IsMailItem(IDispatch* item);
// True when item is the reply being written in the main window's reading pane
// (ActiveExplorer's ActiveInlineResponse): it has no compose window, so no switch.
bool IsActiveInlineResponse(IDispatch* item);
// The item of the compose window a ribbon control is in: its Context's CurrentItem when the
// Context is an Inspector, else the active inspector's. A reference for the caller; null
// when no window shows an item.
LPDISPATCH GetControlWindowItem(IDispatch* application, IDispatch* control);

// The window that owns a dialog opened from a ribbon control: the top-level window of the
// control's Context (Inspector or Explorer, through IOleWindow), else this thread's active
// window; null when there is neither. Never raises but for memory.
HWND GetControlOwnerWindow(IDispatch* control);
// Outlook's active window on this thread, or null: the owner of the update prompt.
HWND GetOutlookActiveWindow();

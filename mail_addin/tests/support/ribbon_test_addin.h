#pragma once
// An add-in object for the ribbon's tests, built into the test program around the
// ribbon's entry points: it keeps the Application that OnConnection hands it and its own
// IRibbonUI, answers GetCustomUI, resolves the six callback names to their DISPIDs
// (ButtonClicked 1 ... GetLabel 6) and forwards each Invoke, so that AddinHost drives the
// callbacks exactly as the ribbon calls them. An out value that a callback leaves
// unwritten comes back as VT_EMPTY.
#include <windows.h>

#include "mail_addin/office/office_interfaces.h"

// A new object with one reference; its release also empties g_ribbonUi, so that no
// test leaves the next one a ribbon of a double that is gone.
IUnknown* CreateRibbonTestAddin();

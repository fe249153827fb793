#pragma once
// Process-wide objects of the add-in, used on Outlook's user-interface thread only.
#include <windows.h>

#include <string>

#include "common/engine.h"
#include "mail_addin/office/office_interfaces.h"

extern CEngine* g_engine;             // from OnConnection to Quit
extern int g_outlookMajorVersion;     // 0 when unknown
extern IRibbonUI* g_ribbonUi;         // owning; set by the ribbon's onLoad, released on Quit

// Creates the engine object (a second call keeps the one there) and reads Outlook's major
// version. Never throws; always true.
bool InitializeAddIn(IDispatch* application);
// On Quit: the statistics store, the engine object and the ribbon's IRibbonUI copy go.
void ReleaseGlobalObjects();
// DisplayName (0x3001) of an attachment; throws when Outlook fails.
std::wstring GetDispatchDisplayName(IDispatch* object);

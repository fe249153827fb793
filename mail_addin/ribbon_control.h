#pragma once
// Reading the control that a ribbon callback is about, late-bound through its
// IRibbonControl dispatch interface. Both throw the binding's exceptions when the call
// fails (a null control included).
#include <windows.h>

#include <string>

std::wstring GetRibbonControlId(IDispatch* control);
std::wstring GetRibbonControlTag(IDispatch* control);

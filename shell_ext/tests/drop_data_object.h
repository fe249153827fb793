#pragma once
// A data object that offers a list of paths as CF_HDROP, as Explorer's selection does.
#include <windows.h>

#include <string>
#include <vector>

// offerDrop false makes a data object without CF_HDROP. The caller owns one reference.
IDataObject* CreateDropDataObject(const std::vector<std::wstring>& paths, bool offerDrop = true);

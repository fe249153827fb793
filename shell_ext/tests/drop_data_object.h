#pragma once
// A data object that offers a list of paths as CF_HDROP, as Explorer's selection does.
#include <windows.h>

#include <string>
#include <vector>

// The bytes of a well-formed drop block: DROPFILES, then each name with its terminator, then
// one more terminator. The ANSI form holds the names as given (fWide clear).
std::vector<BYTE> MakeDropBlock(const std::vector<std::wstring>& paths);
std::vector<BYTE> MakeAnsiDropBlock(const std::vector<std::string>& paths);

// offerDrop false makes a data object without CF_HDROP. The caller owns one reference.
IDataObject* CreateDropDataObject(const std::vector<std::wstring>& paths, bool offerDrop = true);
// A data object whose CF_HDROP medium is a copy of these bytes, well-formed or not, in a
// block of exactly that size.
IDataObject* CreateRawDropDataObject(std::vector<BYTE> block);

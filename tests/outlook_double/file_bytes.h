#pragma once
// Whole-file reads and writes for the attachments' real content.
#include <windows.h>

#include <string>
#include <vector>

namespace outlook_double {

bool ReadFileBytes(const std::wstring& path, std::vector<BYTE>* bytes);
bool WriteFileBytes(const std::wstring& path, const std::vector<BYTE>& bytes);

}  // namespace outlook_double

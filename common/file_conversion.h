#pragma once
// The step that the desktop program and the shell extension take for every file the
// engine accepted: a free output name, the count, then the engine.
#include "common/output_name.h"
#include "common/plenzar_profile.h"

#include <cstdint>
#include <string>

// Counts one file about to be converted: the extension of its name (dot included, may be
// empty), its length in bytes (QueryFileLength) and the chosen profile.
using ConversionCounter = void (*)(const std::wstring& extension, std::int32_t length, PlenzarProfile profile);

// Proposes the first free "name (n).ext" in the folder of outputParts (the source's own
// parts, or with another drive and folder), counts the file, then hands source and
// proposal to the loaded engine with the proposal's capacity. The count is made whatever
// the engine then makes of the file; the engine's result is not looked at. The choice and
// the engine call hold the session's lock of that folder and name (COutputNameLock), so
// two conversions at once never choose one name; nothing is written before the engine
// writes. False, with nothing counted or converted, when no proposal fits its buffer, the
// folder cannot be listed or the lock cannot be had.
bool ConvertIntoFreeName(const std::wstring& source, const SplitPath& outputParts, PlenzarProfile profile,
                         ConversionCounter count);

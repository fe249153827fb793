#pragma once
// Reads the paths of a CF_HDROP selection from a data object.
#include "shell_ext/selected_paths.h"

#include <windows.h>

// Longest path kept, in UTF-16 units without the terminator.
constexpr UINT kMaxSelectedPathLength = MAX_PATH - 1;

// S_OK with every path of the drop list in order, except those longer than
// kMaxSelectedPathLength, which are skipped rather than cut to another file's name. The
// list is read in one pass over the locked DROPFILES block, wide or ANSI (converted from
// the ANSI code page), so the time grows with the selection, not with its square.
// E_INVALIDARG when there is no data object, no drop list, the memory can't be locked, the
// block is too short for its header, its list starts outside it or does not end inside it
// (nothing is read past the block), or the list holds no name; paths is then unchanged.
HRESULT ReadDropSelection(IDataObject* dataObject, CSelectedPaths& paths);

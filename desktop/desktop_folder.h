#pragma once
// The desktop as the output folder of the batch conversion.
#include "common/output_name.h"

// Puts the desktop folder's drive and directory into parts; false (parts unchanged)
// when the desktop folder cannot be found or does not fit.
bool MoveToDesktop(SplitPath& parts);

#pragma once
// What the desktop program uses of the shared library.
#include "desktop/interim_shared.h"

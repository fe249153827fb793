#pragma once
// What the desktop program uses of the shared library.
#include "common/engine.h"
#include "common/plenzar_profile.h"
#include "common/settings.h"
#include "common/text_conversion.h"
#include "common/update_check.h"
#include "common/usage_statistics.h"
#include "common/version_info.h"

#pragma once
// The size profile shared by the settings, the engine call and the usage statistics.
#include <cstdint>

using PlenzarProfile = std::int32_t;

enum : PlenzarProfile {
    PROFILE_NONE = -1,  // optimization off
    PROFILE_TINY = 0,   // 320 pixels
    PROFILE_SMALL = 1,  // 640 pixels
    PROFILE_MEDIUM = 2, // 1024 pixels
    PROFILE_LARGE = 3,  // 1600 pixels
    PROFILE_FULL = 4,   // same size as the original
};

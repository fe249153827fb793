#pragma once
// The process's usage-statistics store "PlenzarFileShell" as handler objects on several
// Explorer threads share it: the first live handler builds it, every handler counts into
// whatever store the process has, and the builder tears it down on its final release.
#include "common/plenzar_profile.h"

#include <cstdint>
#include <string>

// Builds the store when the process has none; true when this call built it. Never
// throws: a store that can't be built leaves the process without one, and counts do nothing.
bool BuildStatisticsStoreIfNone() noexcept;
// Tears down the store that BuildStatisticsStoreIfNone built (saving it when the settings ask).
void TearDownStatisticsStore() noexcept;
// Counts one converted file: its extension (UTF-16, dot included, may be empty) with its
// length, then the chosen profile. Does nothing when the process has no store.
void CountConversion(const std::wstring& extension, std::int32_t length, PlenzarProfile profile) noexcept;

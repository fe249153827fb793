#pragma once
// The process's usage-statistics store "PlenzarFileShell" as handler objects on several
// Explorer threads share it: the first live handler builds it, every handler counts into
// whatever store the process has, and the builder tears it down on its final release.
#include "common/plenzar_profile.h"
#include "common/usage_statistics.h"

#include <cstdint>
#include <memory>
#include <string>

// Keeps this library loaded while a store timer or upload worker is pending: each holds
// a module lock. Set once, before the first store.
void HoldModuleWhileStatisticsPending() noexcept;

// A new store when the process has none; null when another handler's store is current,
// or when the store can't be built (the handler then works without one, counting nothing).
// Never throws. Resetting the result on the building thread tears the store down.
std::unique_ptr<CUsageStatistics> BuildStatisticsStoreIfNone() noexcept;

// Counts one converted file: its extension (UTF-16, dot included, may be empty) as UTF-8
// with the file's length, then the chosen profile, both into the one current store, so
// a teardown on another thread never comes between them. No store: nothing happens.
void CountConversion(const std::wstring& extension, std::int32_t length, PlenzarProfile profile) noexcept;

// SEAM: the shared statistics store is not on this branch yet; until it is, the handler
// builds no store and its counts go nowhere.
#include "shell_ext/usage_store.h"

bool BuildStatisticsStoreIfNone() noexcept { return false; }

void TearDownStatisticsStore() noexcept {}

void CountConversion(const std::wstring&, std::int32_t, PlenzarProfile) noexcept {}

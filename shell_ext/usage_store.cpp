#include "shell_ext/usage_store.h"

#include "classlib/com_module.h"
#include "common/statistics_upload.h"
#include "common/text_conversion.h"

namespace {

constexpr wchar_t kStoreName[] = L"PlenzarFileShell";

}  // namespace

void HoldModuleWhileStatisticsPending() noexcept
{
    SetStatisticsPendingHooks([] { _pAtlModule->Lock(); }, [] { _pAtlModule->Unlock(); });
}

std::unique_ptr<CUsageStatistics> BuildStatisticsStoreIfNone() noexcept
{
    try {
        return CUsageStatistics::CreateIfNone(kStoreName);
    } catch (...) {
        return nullptr;  // no memory, or no timer: better a menu without counts than none
    }
}

void CountConversion(const std::wstring& extension, std::int32_t length, PlenzarProfile profile) noexcept
{
    try {
        const CWideToUtf8 name(extension.c_str(), static_cast<int>(extension.size()));
        if (!name.c_str()) return;
        WithCurrentUsageStatistics([&](CUsageStatistics* store) {
            if (!store) return;
            store->Add(name.c_str(), length);
            store->Add(CUsageStatistics::ProfileEventName(profile), 0);
        });
    } catch (...) {
        // A count that can't be made (no memory) is lost; the conversion goes on.
    }
}

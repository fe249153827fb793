#include "common/usage_records.h"

#include "common/utf8_text.h"

#include <cstring>

namespace {

UsageRecord MakeRecord(const std::string& key, std::int32_t count, std::int32_t value)
{
    UsageRecord record = {};
    memcpy(record.name, key.data(), key.size() < kUsageNameLimit ? key.size() : kUsageNameLimit);
    record.count = count;
    record.value = value;
    return record;
}

// Adds count and value to the entry of key in target; a missing entry is made only for a
// positive count, and an entry left with no count is erased.
void ChangeEntry(UsageRecords& target, const std::string& key, std::int32_t count, std::int32_t value)
{
    auto found = target.find(key);
    if (found == target.end()) {
        if (count > 0) AddToRecords(target, key, count, value);
        return;
    }
    found->second.count = WrappingAdd(found->second.count, count);
    found->second.value = WrappingAdd(found->second.value, value);
    if (found->second.count <= 0) target.erase(found);
}

}  // namespace

std::string UsageKeyOf(std::string name)
{
    name.resize(strnlen(name.c_str(), name.size()));
    name.resize(Utf8PrefixLength(name, kUsageNameLimit));
    return name;
}

std::int32_t WrappingAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::int32_t WrappingSubtract(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

bool AddToRecords(UsageRecords& records, const std::string& key, std::int32_t count, std::int32_t value)
{
    auto found = records.find(key);
    if (found != records.end()) {
        found->second.count = WrappingAdd(found->second.count, count);
        found->second.value = WrappingAdd(found->second.value, value);
        return true;
    }
    if (records.size() >= kMaxUsageRecords) return false;
    records.emplace(key, MakeRecord(key, count, value));
    return true;
}

void SubtractRecords(UsageRecords& target, const UsageRecords& sent)
{
    for (const auto& entry : sent)
        ChangeEntry(target, entry.first, WrappingSubtract(0, entry.second.count),
                    WrappingSubtract(0, entry.second.value));
}

void ApplyChanges(UsageRecords& target, const UsageRecords& now, const UsageRecords& before)
{
    UsageRecords changes = now;
    for (const auto& entry : before) {
        auto change = changes.try_emplace(entry.first, MakeRecord(entry.first, 0, 0)).first;
        change->second.count = WrappingSubtract(change->second.count, entry.second.count);
        change->second.value = WrappingSubtract(change->second.value, entry.second.value);
    }
    for (const auto& entry : changes)
        if (entry.second.count != 0 || entry.second.value != 0)
            ChangeEntry(target, entry.first, entry.second.count, entry.second.value);
}

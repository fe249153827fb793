#pragma once
// Usage records: the 72-byte record of the data file, the map of them by name, and the
// arithmetic of counts that counting, saving and uploads share.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

// One counted event, laid out exactly as in the data file (little-endian, no gaps).
struct UsageRecord {
    char name[64];        // lower-cased name, at most 63 bytes, zero-filled
    std::int32_t count;   // wraps on overflow
    std::int32_t value;   // sum of the counted values, wraps on overflow
};
static_assert(sizeof(UsageRecord) == 72, "the data file holds 72-byte records");
static_assert(offsetof(UsageRecord, count) == 64 && offsetof(UsageRecord, value) == 68,
              "the data file's field offsets");

// The longest name a record holds (its field ends in a zero byte).
constexpr std::size_t kUsageNameLimit = sizeof(UsageRecord::name) - 1;
// The most records a store holds and writes; a data file of more is none of the store's.
constexpr std::size_t kMaxUsageRecords = 10000;

// By key: a name as UsageKeyOf gives it, which is also what the record's name field holds.
using UsageRecords = std::map<std::string, UsageRecord>;

// The key of a name: up to its first zero byte, cut to kUsageNameLimit bytes without
// splitting a UTF-8 character, so that a name keeps its key through the data file.
std::string UsageKeyOf(std::string name);

std::int32_t WrappingAdd(std::int32_t a, std::int32_t b);
std::int32_t WrappingSubtract(std::int32_t a, std::int32_t b);

// Adds count and value to the entry of key (a UsageKeyOf result), making one when it is
// new and the records have room (kMaxUsageRecords); false when there was none.
bool AddToRecords(UsageRecords& records, const std::string& key, std::int32_t count, std::int32_t value);

// Takes sent out of target, keeping counts made since; an entry left with no count is
// erased.
void SubtractRecords(UsageRecords& target, const UsageRecords& sent);

// Applies to target (the data file as it is now) what one store changed since it held
// before: counts made since are added, records sent since are taken out. Entries left with
// no count are erased; new ones are added while there is room.
void ApplyChanges(UsageRecords& target, const UsageRecords& now, const UsageRecords& before);

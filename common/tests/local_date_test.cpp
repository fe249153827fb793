// Today's date against the one the system clock gives through another road (GetLocalTime).
#include "common/local_date.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

struct SystemToday {
    int dayOfMonth;
    int dayOfYear;  // 0 is 1 January
};

SystemToday ReadSystemToday()
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    static const int kDaysBeforeMonth[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const int year = now.wYear;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int dayOfYear = kDaysBeforeMonth[now.wMonth - 1] + now.wDay - 1 + (leap && now.wMonth > 2 ? 1 : 0);
    return {now.wDay, dayOfYear};
}

// A reading that straddles midnight may match the day before or the day after.
template <class Read, class Field>
void ExpectToday(Read read, Field field)
{
    const int before = field(ReadSystemToday());
    const int value = read();
    const int after = field(ReadSystemToday());
    EXPECT_TRUE(value == before || value == after) << value << " is neither " << before << " nor " << after;
}

TEST(LocalDate, DayOfMonthAndDayOfYearAreTodaysInLocalTime)
{
    ExpectToday(TodaysDayOfMonth, [](const SystemToday& today) { return today.dayOfMonth; });
    ExpectToday(TodaysDayOfYear, [](const SystemToday& today) { return today.dayOfYear; });

    tm local = {};
    ASSERT_TRUE(ReadLocalTimeNow(local));
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    EXPECT_EQ(local.tm_year + 1900, now.wYear);
    EXPECT_EQ(local.tm_mon + 1, now.wMonth);
}

}  // namespace

#pragma once
// Today's date in local time, as the C library breaks it down. Safe on any thread.
#include <ctime>

// The local time now; false when the clock cannot be read or converted.
bool ReadLocalTimeNow(tm& local);
// 1 to 31; 0 when the clock cannot be read.
int TodaysDayOfMonth();
// 0 (1 January) to 365; 0 as well when the clock cannot be read.
int TodaysDayOfYear();

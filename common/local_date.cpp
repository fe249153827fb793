#include "common/local_date.h"

bool ReadLocalTimeNow(tm& local)
{
    const __time64_t now = _time64(nullptr);
    // The _s form fills the caller's record rather than a buffer shared by later calls.
    return now != -1 && _localtime64_s(&local, &now) == 0;
}

int TodaysDayOfMonth()
{
    tm local = {};
    return ReadLocalTimeNow(local) ? local.tm_mday : 0;
}

int TodaysDayOfYear()
{
    tm local = {};
    return ReadLocalTimeNow(local) ? local.tm_yday : 0;
}

#pragma once
// Where the log reads the time: the system clock, or a fixed one for tests.
#include <ctime>

// The longest text of one log line, in bytes; longer texts are cut at a character boundary.
constexpr size_t kLogTextLimit = 999;

using LogClock = __time64_t (*)();
// Null puts the system clock back.
void SetLogClock(LogClock clock);

#pragma once
// The process clock of the transfer callbacks: milliseconds of wall time since
// the process started, from a monotonic clock (std::clock counts CPU time on
// this system, which would make every rate wrong). Tests may swap the source.

#include <cstdint>

std::int32_t ProcessClock();

// A null source restores the real clock. Safe to call from any thread.
using ProcessClockSource = std::int32_t (*)();
void SetProcessClockSource(ProcessClockSource source);

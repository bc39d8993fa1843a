#include "platform/win32/process_clock.h"

#include <atomic>
#include <chrono>

namespace {

const auto g_processStart = std::chrono::steady_clock::now();

std::int32_t MonotonicSinceStart() {
  auto elapsed = std::chrono::steady_clock::now() - g_processStart;
  return static_cast<std::int32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

std::atomic<ProcessClockSource> g_source{&MonotonicSinceStart};

}  // namespace

std::int32_t ProcessClock() { return g_source.load(std::memory_order_relaxed)(); }

void SetProcessClockSource(ProcessClockSource source) {
  g_source.store(source != nullptr ? source : &MonotonicSinceStart, std::memory_order_relaxed);
}

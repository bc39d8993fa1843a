#include "platform/win32/kernel_event.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/kernel/kernel_object.h"

namespace {

struct EventObject final : KernelObject {
  bool manualReset = true;
  std::atomic<bool> signalled{false};
  std::atomic<bool> closed{false};
  std::mutex mutex;
  std::condition_variable changed;

  BOOL Close() override { return closed.exchange(true, std::memory_order_acq_rel) ? FALSE : TRUE; }
};

// Events are never freed, only marked closed, so a closed handle stays safe to
// test and fails instead of touching released memory. A process makes a few.
std::deque<EventObject>& AllEvents() {
  static std::deque<EventObject> events;
  return events;
}

std::mutex& AllEventsMutex() {
  static std::mutex mutex;
  return mutex;
}

EventObject* UsableEvent(HANDLE handle) {
  EventObject* event = ObjectOf<EventObject>(handle);
  if (event == nullptr || event->closed.load(std::memory_order_acquire)) return nullptr;
  return event;
}

// Takes the signal when the event is set; an auto-reset event is cleared by
// the one waiter that sees it.
bool TryConsume(EventObject& event) {
  if (!event.signalled.load(std::memory_order_acquire)) return false;
  if (!event.manualReset) event.signalled.store(false, std::memory_order_release);
  return true;
}

}  // namespace

HANDLE CreateEventA(SECURITY_ATTRIBUTES*, BOOL manualReset, BOOL initialState, const char*) {
  std::lock_guard<std::mutex> lock(AllEventsMutex());
  EventObject& event = AllEvents().emplace_back();
  event.manualReset = manualReset != FALSE;
  event.signalled.store(initialState != FALSE);
  return &event;
}

BOOL SetEvent(HANDLE handle) {
  EventObject* event = UsableEvent(handle);
  if (event == nullptr) return FALSE;
  {
    std::lock_guard<std::mutex> lock(event->mutex);
    event->signalled.store(true, std::memory_order_release);
  }
  event->changed.notify_all();
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  EventObject* event = UsableEvent(handle);
  if (event == nullptr) return WAIT_FAILED;
  if (milliseconds == 0) {
    if (event->manualReset) {
      return event->signalled.load(std::memory_order_acquire) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    }
    std::lock_guard<std::mutex> lock(event->mutex);
    return TryConsume(*event) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  }
  std::unique_lock<std::mutex> lock(event->mutex);
  auto consumed = [event] { return TryConsume(*event); };
  if (milliseconds == INFINITE) {
    event->changed.wait(lock, consumed);
    return WAIT_OBJECT_0;
  }
  return event->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), consumed)
             ? WAIT_OBJECT_0
             : WAIT_TIMEOUT;
}

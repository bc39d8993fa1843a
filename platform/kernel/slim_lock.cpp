#include "platform/win32/slim_lock.h"

#include <cerrno>
#include <ctime>

namespace {

// The moment `milliseconds` from now on the clock pthread_cond_timedwait uses.
timespec Deadline(DWORD milliseconds) {
  timespec at{};
  clock_gettime(CLOCK_REALTIME, &at);
  at.tv_sec += static_cast<time_t>(milliseconds / 1000);
  at.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
  if (at.tv_nsec >= 1000000000L) {
    at.tv_sec += 1;
    at.tv_nsec -= 1000000000L;
  }
  return at;
}

}  // namespace

void AcquireSRWLockExclusive(SRWLOCK* lock) { pthread_mutex_lock(&lock->mutex); }

void ReleaseSRWLockExclusive(SRWLOCK* lock) { pthread_mutex_unlock(&lock->mutex); }

BOOL SleepConditionVariableSRW(CONDITION_VARIABLE* condition, SRWLOCK* lock, DWORD milliseconds,
                               ULONG) {
  if (milliseconds == INFINITE) {
    pthread_cond_wait(&condition->condition, &lock->mutex);
    return TRUE;
  }
  const timespec deadline = Deadline(milliseconds);
  if (pthread_cond_timedwait(&condition->condition, &lock->mutex, &deadline) == ETIMEDOUT) {
    SetLastError(ERROR_TIMEOUT);
    return FALSE;
  }
  return TRUE;
}

void WakeAllConditionVariable(CONDITION_VARIABLE* condition) {
  pthread_cond_broadcast(&condition->condition);
}

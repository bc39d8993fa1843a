#include "platform/win32/slim_lock.h"

void AcquireSRWLockExclusive(SRWLOCK* lock) { pthread_mutex_lock(&lock->mutex); }

void ReleaseSRWLockExclusive(SRWLOCK* lock) { pthread_mutex_unlock(&lock->mutex); }

BOOL SleepConditionVariableSRW(CONDITION_VARIABLE* condition, SRWLOCK* lock, DWORD milliseconds,
                               ULONG) {
  if (milliseconds != INFINITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  pthread_cond_wait(&condition->condition, &lock->mutex);
  return TRUE;
}

void WakeAllConditionVariable(CONDITION_VARIABLE* condition) {
  pthread_cond_broadcast(&condition->condition);
}

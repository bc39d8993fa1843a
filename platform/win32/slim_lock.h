#pragma once
// Slim locks and condition variables, exclusive side only: on Windows the
// system's, which wait without a kernel object (under wine without a round
// trip to the wine server, unlike events and semaphores); on POSIX on
// pthreads. Statically initialised with SRWLOCK_INIT and
// CONDITION_VARIABLE_INIT. Any thread.

#ifdef _WIN32
#include <windows.h>
#else

#include <pthread.h>

#include "platform/win32/last_error.h"
#include "platform/win32/windows_types.h"

struct SRWLOCK {
  pthread_mutex_t mutex;
};
struct CONDITION_VARIABLE {
  pthread_cond_t condition;
};
#define SRWLOCK_INIT \
  { PTHREAD_MUTEX_INITIALIZER }
#define CONDITION_VARIABLE_INIT \
  { PTHREAD_COND_INITIALIZER }

constexpr DWORD ERROR_TIMEOUT = 1460;

void AcquireSRWLockExclusive(SRWLOCK* lock);
void ReleaseSRWLockExclusive(SRWLOCK* lock);
// Releases the lock while it waits and holds it again on return; FALSE with
// ERROR_TIMEOUT when the time-out ran out first. flags must be 0 (exclusive).
BOOL SleepConditionVariableSRW(CONDITION_VARIABLE* condition, SRWLOCK* lock, DWORD milliseconds,
                               ULONG flags);
void WakeAllConditionVariable(CONDITION_VARIABLE* condition);

#endif  // _WIN32

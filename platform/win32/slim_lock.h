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

void AcquireSRWLockExclusive(SRWLOCK* lock);
void ReleaseSRWLockExclusive(SRWLOCK* lock);
// Releases the lock while it waits and holds it again on return. flags must
// be 0 (exclusive). Only INFINITE, the wait the program makes: any other
// time-out fails at once with ERROR_INVALID_PARAMETER.
BOOL SleepConditionVariableSRW(CONDITION_VARIABLE* condition, SRWLOCK* lock, DWORD milliseconds,
                               ULONG flags);
void WakeAllConditionVariable(CONDITION_VARIABLE* condition);

#endif  // _WIN32

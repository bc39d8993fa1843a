#pragma once
// An algorithm provider of the system's CNG, opened once for the process:
// opening one costs far more than hashing a small piece, and one provider
// serves every thread at once. It is never closed, as a thread may still use
// it while the process's statics are destroyed. Null when the system has no
// such algorithm. Any thread.

#include "platform/win32/bcrypt_api.h"

inline BCRYPT_ALG_HANDLE OpenProviderOrNull(LPCWSTR algorithm) {
  BCRYPT_ALG_HANDLE opened = nullptr;
  return BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&opened, algorithm, nullptr, 0)) ? opened
                                                                                     : nullptr;
}

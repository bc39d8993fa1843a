#include "platform/win32/last_error.h"

namespace {

thread_local DWORD t_lastError = NO_ERROR;

}  // namespace

DWORD GetLastError() { return t_lastError; }

void SetLastError(DWORD error) { t_lastError = error; }

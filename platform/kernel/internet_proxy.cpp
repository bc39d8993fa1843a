#include "platform/win32/internet_proxy.h"

#include <cstdlib>

#include "platform/win32/last_error.h"

namespace {

// A session holds nothing: there is no configuration script to keep.
struct Session {};

}  // namespace

BOOL WinHttpGetIEProxyConfigForCurrentUser(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* config) {
  if (config == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *config = WINHTTP_CURRENT_USER_IE_PROXY_CONFIG{};
  return TRUE;
}

HINTERNET WinHttpOpen(LPCWSTR, DWORD, LPCWSTR, LPCWSTR, DWORD) { return new Session; }

BOOL WinHttpGetProxyForUrl(HINTERNET session, LPCWSTR url, WINHTTP_AUTOPROXY_OPTIONS* options,
                           WINHTTP_PROXY_INFO* info) {
  if (session == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (url == nullptr || options == nullptr || info == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SetLastError(ERROR_WINHTTP_AUTODETECTION_FAILED);
  return FALSE;
}

BOOL WinHttpCloseHandle(HINTERNET handle) {
  if (handle == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  delete static_cast<Session*>(handle);
  return TRUE;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
  std::free(memory);
  return nullptr;
}

#pragma once
// The user's Internet proxy settings, and the automatic configuration that
// names a proxy for one address (a script, or one found on the network), as
// WinHTTP reads them. Strings it hands out are the caller's, freed with
// GlobalFree. Any thread.
//
// On POSIX the proxy of the system is in libcurl's variables, so there are no
// Internet settings: the user's configuration names neither a proxy nor a
// script nor detection, and no automatic configuration is ever found.

#ifdef _WIN32
#include <windows.h>
#include <winhttp.h>
#else

#include "platform/win32/windows_types.h"

using HINTERNET = void*;
using HGLOBAL = void*;

constexpr DWORD WINHTTP_ACCESS_TYPE_NO_PROXY = 1;
constexpr DWORD WINHTTP_ACCESS_TYPE_NAMED_PROXY = 3;
#define WINHTTP_NO_PROXY_NAME nullptr
#define WINHTTP_NO_PROXY_BYPASS nullptr

constexpr DWORD WINHTTP_AUTOPROXY_AUTO_DETECT = 0x1;
constexpr DWORD WINHTTP_AUTOPROXY_CONFIG_URL = 0x2;
constexpr DWORD WINHTTP_AUTO_DETECT_TYPE_DHCP = 0x1;
constexpr DWORD WINHTTP_AUTO_DETECT_TYPE_DNS_A = 0x2;

constexpr DWORD ERROR_WINHTTP_AUTODETECTION_FAILED = 12180;

struct WINHTTP_CURRENT_USER_IE_PROXY_CONFIG {
  BOOL fAutoDetect;
  LPWSTR lpszAutoConfigUrl;
  LPWSTR lpszProxy;
  LPWSTR lpszProxyBypass;
};

struct WINHTTP_AUTOPROXY_OPTIONS {
  DWORD dwFlags;
  DWORD dwAutoDetectFlags;
  LPCWSTR lpszAutoConfigUrl;
  void* lpvReserved;
  DWORD dwReserved;
  BOOL fAutoLogonIfChallenged;
};

struct WINHTTP_PROXY_INFO {
  DWORD dwAccessType;
  LPWSTR lpszProxy;
  LPWSTR lpszProxyBypass;
};

BOOL WinHttpGetIEProxyConfigForCurrentUser(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG* config);
// A session handle, closed with WinHttpCloseHandle; nullptr when none can be
// made.
HINTERNET WinHttpOpen(LPCWSTR agent, DWORD accessType, LPCWSTR proxy, LPCWSTR bypass, DWORD flags);
// FALSE with ERROR_WINHTTP_AUTODETECTION_FAILED: nothing configures a proxy
// automatically here.
BOOL WinHttpGetProxyForUrl(HINTERNET session, LPCWSTR url, WINHTTP_AUTOPROXY_OPTIONS* options,
                           WINHTTP_PROXY_INFO* info);
BOOL WinHttpCloseHandle(HINTERNET handle);
// Frees a string these functions handed out; nullptr is allowed. Returns
// nullptr.
HGLOBAL GlobalFree(HGLOBAL memory);

#endif  // _WIN32

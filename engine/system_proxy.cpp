#include "engine/system_proxy.h"

#include <boost/thread/mutex.hpp>
#include <cstdlib>
#include <map>
#include <optional>

#include "engine/proxy_choice.h"
#include "platform/win32/internet_proxy.h"

namespace {

using WideText = std::basic_string<WCHAR>;

// Addresses and proxy settings are ASCII.
WideText Widen(const std::string& text) { return WideText(text.begin(), text.end()); }

// Copies a string WinHTTP handed out, and frees it.
std::string Take(LPWSTR text) {
  std::string narrow;
  for (LPCWSTR unit = text; unit != nullptr && *unit != 0; ++unit) {
    narrow += *unit < 0x80 ? static_cast<char>(*unit) : '?';
  }
  if (text != nullptr) GlobalFree(text);
  return narrow;
}

ProxyVariables EnvironmentProxyVariables() {
  ProxyVariables variables;
  for (const char* name : kProxyVariableNames) {
    if (const char* value = std::getenv(name)) variables[name] = value;
  }
  return variables;
}

struct UserSettings {
  bool autoDetect = false;
  std::string scriptUrl;
  ProxyList manual;
};

UserSettings ReadUserSettings() {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  UserSettings settings;
  if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return settings;
  settings.autoDetect = config.fAutoDetect != FALSE;
  settings.scriptUrl = Take(config.lpszAutoConfigUrl);
  settings.manual.servers = Take(config.lpszProxy);
  settings.manual.bypass = Take(config.lpszProxyBypass);
  return settings;
}

// WinHTTP keeps the detected script's address and the script for the
// session, so one session serves every transfer; it lasts as long as the
// process.
HINTERNET ResolverSession() {
  static const HINTERNET session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY,
                                               WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  return session;
}

// What the automatic configuration names for the address; nothing when the
// settings do not ask for it or it finds no answer.
std::optional<ProxyList> AutomaticProxy(const std::string& url, const UserSettings& settings) {
  if (!settings.autoDetect && settings.scriptUrl.empty()) return std::nullopt;
  const HINTERNET session = ResolverSession();
  if (session == nullptr) return std::nullopt;
  const WideText scriptUrl = Widen(settings.scriptUrl);
  WINHTTP_AUTOPROXY_OPTIONS options{};
  if (settings.autoDetect) {
    options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  if (!settings.scriptUrl.empty()) {
    options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = scriptUrl.c_str();
  }
  WINHTTP_PROXY_INFO info{};
  if (!WinHttpGetProxyForUrl(session, Widen(url).c_str(), &options, &info)) return std::nullopt;
  ProxyList answer{Take(info.lpszProxy), Take(info.lpszProxyBypass)};
  if (info.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY) return ProxyList{};
  return answer;
}

// The scheme, host and port of an address.
std::string OriginOf(const std::string& url) {
  const std::size_t scheme = url.find("://");
  if (scheme == std::string::npos) return url;
  return url.substr(0, url.find('/', scheme + 3));
}

std::string AskTheSettings(const std::string& url) {
  const UserSettings settings = ReadUserSettings();
  return ProxyForUrl(url, AutomaticProxy(url, settings).value_or(settings.manual));
}

// Asking takes a while (detection asks the network, and even a failed one
// cost tens of milliseconds under wine), and a package's pieces share one
// server, so each origin is asked once in the process's life.
std::string SystemProxyFor(const std::string& url) {
  static boost::mutex guard;
  static std::map<std::string, std::string> answers;
  const std::string origin = OriginOf(url);
  {
    boost::mutex::scoped_lock lock(guard);
    const auto known = answers.find(origin);
    if (known != answers.end()) return known->second;
  }
  const std::string proxy = AskTheSettings(url);
  boost::mutex::scoped_lock lock(guard);
  return answers.emplace(origin, proxy).first->second;
}

}  // namespace

void UseSystemProxy(CURL* handle, const std::string& url) {
  if (ProxyVariablesApply(url, EnvironmentProxyVariables())) return;
  curl_easy_setopt(handle, CURLOPT_PROXY, SystemProxyFor(url).c_str());
}

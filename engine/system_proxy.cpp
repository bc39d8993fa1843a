#include "engine/system_proxy.h"

#include <algorithm>
#include <boost/date_time/posix_time/posix_time_duration.hpp>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/thread.hpp>
#include <cstdlib>
#include <utility>

#include "platform/win32/internet_proxy.h"
#include "platform/win32/kernel_event.h"
#include "platform/win32/process_clock.h"

// The thread that runs it may end long after every asker has gone, or never:
// it holds its own reference.
struct ProxyLookup {
  boost::mutex mutex;
  boost::condition_variable finished;
  bool done = false;                // guarded by mutex, as answer is
  std::optional<ProxyList> answer;  // nothing: the configuration found none
};

namespace {

// A waiting ask tests the stop event this often; under wine every test is a
// round trip to the wine server.
constexpr long kStopPollMs = 20;

enum class Outcome { Answered, Late, Stopped };

// The scheme, host and port of an address.
std::string OriginOf(const std::string& url) {
  const std::size_t scheme = url.find("://");
  if (scheme == std::string::npos) return url;
  return url.substr(0, url.find('/', scheme + 3));
}

bool WantsAutomatic(const InternetSettings& settings) {
  return settings.autoDetect || !settings.scriptUrl.empty();
}

bool Stopped(HANDLE stopEvent) {
  return stopEvent != nullptr && WaitForSingleObject(stopEvent, 0) == WAIT_OBJECT_0;
}

std::uint32_t Since(std::int32_t start) {
  return static_cast<std::uint32_t>(ProcessClock()) - static_cast<std::uint32_t>(start);
}

void Finish(ProxyLookup& lookup, std::optional<ProxyList> answer) {
  boost::mutex::scoped_lock lock(lookup.mutex);
  lookup.answer = std::move(answer);
  lookup.done = true;
  lookup.finished.notify_all();
}

// The thread owns copies of all it reads. One that cannot be started counts
// as a failed lookup.
std::shared_ptr<ProxyLookup> StartLookup(const ProxySource::Automatic& automatic,
                                         const std::string& url, const InternetSettings& settings) {
  auto lookup = std::make_shared<ProxyLookup>();
  try {
    boost::thread([automatic, url, settings, lookup] {
      Finish(*lookup, automatic(url, settings));
    }).detach();
  } catch (const boost::thread_resource_error&) {
    Finish(*lookup, std::nullopt);
  }
  return lookup;
}

// Waits for the lookup until `patience` after `asked`, or a stop.
Outcome Await(ProxyLookup& lookup, std::int32_t asked, DWORD patience, HANDLE stopEvent) {
  boost::mutex::scoped_lock lock(lookup.mutex);
  for (;;) {
    if (lookup.done) return Outcome::Answered;
    const std::uint32_t waited = Since(asked);
    if (waited >= patience) return Outcome::Late;
    if (Stopped(stopEvent)) return Outcome::Stopped;
    const long slice = std::min<long>(kStopPollMs, static_cast<long>(patience - waited));
    lookup.finished.timed_wait(lock, boost::posix_time::milliseconds(slice));
  }
}

}  // namespace

CSystemProxy::CSystemProxy(ProxySource source, DWORD patience)
    : m_source(std::move(source)), m_patience(patience) {}

std::optional<std::string> CSystemProxy::ProxyFor(const std::string& url, HANDLE stopEvent) {
  const Origin origin = Current(url);
  if (origin.decided) return origin.decided;
  switch (Await(*origin.lookup, origin.asked, m_patience, stopEvent)) {
    case Outcome::Stopped:
      return std::nullopt;
    case Outcome::Late:
      return origin.manual;
    case Outcome::Answered:
      break;
  }
  std::optional<ProxyList> answer;
  {
    boost::mutex::scoped_lock lock(origin.lookup->mutex);
    answer = origin.lookup->answer;
  }
  const std::string proxy = answer ? ProxyForUrl(url, *answer) : origin.manual;
  Decide(url, proxy);
  return proxy;
}

// What is known of the address's origin, asked for on its first ask.
CSystemProxy::Origin CSystemProxy::Current(const std::string& url) {
  boost::mutex::scoped_lock lock(m_guard);
  const std::string key = OriginOf(url);
  auto known = m_origins.find(key);
  if (known == m_origins.end()) known = m_origins.emplace(key, FirstAsk(url)).first;
  return known->second;
}

CSystemProxy::Origin CSystemProxy::FirstAsk(const std::string& url) {
  const InternetSettings settings = m_source.readSettings();
  Origin origin;
  origin.manual = ProxyForUrl(url, settings.manual);
  origin.asked = ProcessClock();
  if (WantsAutomatic(settings)) {
    origin.lookup = StartLookup(m_source.automatic, url, settings);
  } else {
    origin.decided = origin.manual;
  }
  return origin;
}

void CSystemProxy::Decide(const std::string& url, const std::string& proxy) {
  boost::mutex::scoped_lock lock(m_guard);
  Origin& origin = m_origins[OriginOf(url)];
  origin.decided = proxy;
  origin.lookup.reset();
}

// --- the system's settings, through WinHTTP ------------------------------------

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

InternetSettings ReadUserSettings() {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  InternetSettings settings;
  if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return settings;
  settings.autoDetect = config.fAutoDetect != FALSE;
  settings.scriptUrl = Take(config.lpszAutoConfigUrl);
  settings.manual.servers = Take(config.lpszProxy);
  settings.manual.bypass = Take(config.lpszProxyBypass);
  return settings;
}

// WinHTTP keeps the detected script's address and the script for the
// session, so one session serves every lookup; it lasts as long as the
// process, and lookups may run on it at once.
HINTERNET ResolverSession() {
  static const HINTERNET session = WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY,
                                               WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  return session;
}

// Detection asks the network, and a script's server may never answer: this
// can take from milliseconds to minutes, and cannot be interrupted.
std::optional<ProxyList> AutomaticProxy(const std::string& url, const InternetSettings& settings) {
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

// A package's pieces share one server, so the process asks once for each
// origin.
CSystemProxy& TheSystemProxy() {
  static CSystemProxy proxy({&ReadUserSettings, &AutomaticProxy});
  return proxy;
}

}  // namespace

bool UseSystemProxy(CURL* handle, const std::string& url, HANDLE stopEvent) {
  if (ProxyVariablesApply(url, EnvironmentProxyVariables())) return true;
  const std::optional<std::string> proxy = TheSystemProxy().ProxyFor(url, stopEvent);
  if (!proxy) return false;
  curl_easy_setopt(handle, CURLOPT_PROXY, proxy->c_str());
  return true;
}

#pragma once
// Gives a transfer the proxy the user's system names for its address. Worker
// thread, or any thread that owns the handle.

#include <curl/curl.h>

#include <boost/thread/mutex.hpp>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "engine/proxy_choice.h"
#include "platform/win32/windows_types.h"

// The user's Internet settings: whether they ask for the automatic
// configuration (detection on the network, or a script at an address), and
// their own proxy and bypass lists.
struct InternetSettings {
  bool autoDetect = false;
  std::string scriptUrl;
  ProxyList manual;
};

// Where the settings and the automatic configuration's answers come from:
// the system's Internet settings in the program.
struct ProxySource {
  std::function<InternetSettings()> readSettings;
  // The proxy list the automatic configuration names for the address;
  // nothing when it finds none or fails. It may take any time, or never
  // return: it runs on a thread of its own, which may outlive the asker.
  using Automatic =
      std::function<std::optional<ProxyList>(const std::string& url, const InternetSettings&)>;
  Automatic automatic;
};

// One origin's lookup of the automatic configuration, shared with the thread
// that runs it.
struct ProxyLookup;

// The proxy of each scheme, host and port, decided once in the object's life.
// The automatic configuration is waited for at most `patience` from the
// first ask: until it answers, the user's own lists decide; its answer, once
// it comes, decides from then on, and a lookup that fails leaves them to
// decide for good. Any thread.
class CSystemProxy {
 public:
  // In milliseconds. A configuration that works answers well within it; with
  // the transfer's own set-up on top, a first transfer waits under a second.
  static constexpr DWORD kPatience = 800;

  explicit CSystemProxy(ProxySource source, DWORD patience = kPatience);
  CSystemProxy(const CSystemProxy&) = delete;
  CSystemProxy& operator=(const CSystemProxy&) = delete;

  // The value for libcurl's CURLOPT_PROXY ("" for a direct connection); nothing
  // when the manual-reset stop event was set while this waited.
  std::optional<std::string> ProxyFor(const std::string& url, HANDLE stopEvent);

 private:
  struct Origin {
    std::string manual;                   // by the user's own lists
    std::optional<std::string> decided;   // once nothing more is to come
    std::shared_ptr<ProxyLookup> lookup;  // until then
    std::int32_t asked = 0;               // ProcessClock() of the first ask
  };

  Origin Current(const std::string& url);
  Origin FirstAsk(const std::string& url);
  void Decide(const std::string& url, const std::string& proxy);

  const ProxySource m_source;
  const DWORD m_patience;
  boost::mutex m_guard;
  std::map<std::string, Origin> m_origins;  // by origin; guarded
};

// When libcurl's proxy variables name no proxy for the address, sets the
// handle's CURLOPT_PROXY from the user's Internet settings: their automatic
// configuration when they ask for it and it answers in time, else their own
// proxy list and bypass list; a direct connection when none of these names a
// proxy. False, and the handle left alone, when the stop event was set while
// the settings were awaited: the transfer is not to be made.
bool UseSystemProxy(CURL* handle, const std::string& url, HANDLE stopEvent);

#pragma once
// Which proxy a transfer takes, from plain data: libcurl's proxy variables
// first, then the user's Internet settings. Pure functions; any thread.

#include <map>
#include <string>

// The variables libcurl takes a proxy from, by name, as the environment holds
// them (a missing name is an unset variable).
using ProxyVariables = std::map<std::string, std::string>;

// Their names: libcurl reads "<scheme>_proxy", and its upper-case form for
// every scheme but http, then all_proxy and ALL_PROXY.
extern const char* const kProxyVariableNames[5];

// True when libcurl finds a proxy for this address in the variables: then
// they decide, and the transfer's proxy option is left alone. An empty value
// names no proxy. libcurl applies no_proxy itself, to whichever proxy the
// transfer ends up with.
bool ProxyVariablesApply(const std::string& url, const ProxyVariables& variables);

// A proxy configuration in the form of the Internet settings.
//   servers: "host:port" for every scheme, or entries "scheme=host:port",
//            separated by ';' or spaces.
//   bypass:  addresses that go direct, separated by ';' or spaces: host
//            names or addresses with '*' wildcards, optionally with
//            "scheme://" before and ":port" after them, and "<local>" for
//            every host name without a dot.
struct ProxyList {
  std::string servers;
  std::string bypass;
};

// The value for libcurl's CURLOPT_PROXY: the proxy of this address's scheme,
// or "" (a direct connection) when the address is bypassed or its scheme has
// no proxy.
std::string ProxyForUrl(const std::string& url, const ProxyList& settings);

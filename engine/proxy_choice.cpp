#include "engine/proxy_choice.h"

#include <algorithm>
#include <cctype>
#include <vector>

const char* const kProxyVariableNames[5] = {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy",
                                            "ALL_PROXY"};

namespace {

// The parts of an address that proxies and bypass entries are chosen by,
// scheme and host in lower case, the port as written or the scheme's own.
struct Address {
  std::string scheme;
  std::string host;
  std::string port;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::string DefaultPort(const std::string& scheme) {
  if (scheme == "http") return "80";
  if (scheme == "https") return "443";
  return std::string();
}

// An address without a scheme is http's, as libcurl takes it.
Address ParseAddress(const std::string& url) {
  Address address;
  std::size_t start = url.find("://");
  if (start == std::string::npos) {
    address.scheme = "http";
    start = 0;
  } else {
    address.scheme = Lower(url.substr(0, start));
    start += 3;
  }
  std::string authority = url.substr(start, url.find_first_of("/?#", start) - start);
  const std::size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  // An IPv6 address keeps its brackets, so that its colons are not a port's.
  const std::size_t close = authority[0] == '[' ? authority.find(']') : std::string::npos;
  const std::size_t colon = authority.find(':', close == std::string::npos ? 0 : close);
  address.host = Lower(authority.substr(0, colon));
  if (colon != std::string::npos) address.port = authority.substr(colon + 1);
  if (address.port.empty()) address.port = DefaultPort(address.scheme);
  return address;
}

bool IsSet(const ProxyVariables& variables, const std::string& name) {
  const auto found = variables.find(name);
  return found != variables.end() && !found->second.empty();
}

std::vector<std::string> Entries(const std::string& list) {
  std::vector<std::string> entries;
  std::string entry;
  for (const char c : list + ";") {
    if (c == ';' || std::isspace(static_cast<unsigned char>(c))) {
      if (!entry.empty()) entries.push_back(entry);
      entry.clear();
    } else {
      entry += c;
    }
  }
  return entries;
}

// The scheme's own entry, else the first entry for every scheme; "" when
// neither is there.
std::string ServerFor(const std::string& scheme, const std::string& servers) {
  std::string everyScheme;
  for (const std::string& entry : Entries(servers)) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string::npos) {
      if (everyScheme.empty()) everyScheme = entry;
    } else if (Lower(entry.substr(0, equals)) == scheme) {
      return entry.substr(equals + 1);
    }
  }
  return everyScheme;
}

// '*' stands for any run of characters, also none.
bool WildcardMatch(const std::string& pattern, const std::string& text) {
  std::size_t p = 0, t = 0, star = std::string::npos, resume = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && pattern[p] == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string::npos) {
      p = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// A bare IPv6 address has several colons and no port.
bool HasPort(const std::string& hostPattern) {
  const std::size_t colon = hostPattern.rfind(':');
  if (colon == std::string::npos) return false;
  const std::size_t close = hostPattern.rfind(']');
  if (close != std::string::npos) return colon > close;
  return hostPattern.find(':') == colon;
}

bool EntryMatches(const std::string& entry, const Address& address) {
  if (entry == "<local>") return address.host.find_first_of(".:") == std::string::npos;
  const std::size_t schemeEnd = entry.find("://");
  const std::string hostPattern =
      schemeEnd == std::string::npos ? entry : entry.substr(schemeEnd + 3);
  std::string subject = address.host;
  if (HasPort(hostPattern)) subject += ":" + address.port;
  if (schemeEnd != std::string::npos) subject = address.scheme + "://" + subject;
  return WildcardMatch(entry, subject);
}

bool Bypassed(const Address& address, const std::string& bypass) {
  const std::vector<std::string> entries = Entries(Lower(bypass));
  return std::any_of(entries.begin(), entries.end(),
                     [&](const std::string& entry) { return EntryMatches(entry, address); });
}

}  // namespace

bool ProxyVariablesApply(const std::string& url, const ProxyVariables& variables) {
  const std::string own = ParseAddress(url).scheme + "_proxy";
  if (IsSet(variables, own)) return true;
  // The upper-case HTTP_PROXY is left out: a CGI program's environment
  // carries it from a request's "Proxy:" header.
  if (own != "http_proxy" && IsSet(variables, Upper(own))) return true;
  return IsSet(variables, "all_proxy") || IsSet(variables, "ALL_PROXY");
}

std::string ProxyForUrl(const std::string& url, const ProxyList& settings) {
  const Address address = ParseAddress(url);
  if (Bypassed(address, settings.bypass)) return std::string();
  return ServerFor(address.scheme, settings.servers);
}

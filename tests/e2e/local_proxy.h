#pragma once
// Debian's tinyproxy on 127.0.0.1, for one test: it logs each request it
// forwards (the full address) and adds "Via: ... tinyproxy" to it. Killed
// with the object.

#include <cstdint>
#include <string>

#include "tests/e2e/child_process.h"

namespace e2e {

class LocalProxy {
 public:
  // Starts it on the port, with its configuration, log and output in the
  // folder (which ends in "/"), and waits until it accepts connections.
  LocalProxy(std::uint16_t port, const std::string& folder);

  // Empty once it accepts connections; otherwise what it said.
  const std::string& Failure() const { return m_failure; }
  std::string Address() const;  // "127.0.0.1:port"
  std::string Log() const;

 private:
  std::uint16_t m_port;
  std::string m_folder;
  ChildProcess m_process;
  std::string m_failure;
};

}  // namespace e2e

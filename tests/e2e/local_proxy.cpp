#include "tests/e2e/local_proxy.h"

#include <unistd.h>

#include <fstream>

#include "tests/support/scratch_folder.h"

namespace e2e {

LocalProxy::LocalProxy(std::uint16_t port, const std::string& folder)
    : m_port(port), m_folder(folder) {
  const std::string config = folder + "tinyproxy.conf";
  std::ofstream(config) << "Port " << port << "\nListen 127.0.0.1\nAllow 127.0.0.1\n"
                        << "Timeout 30\nMaxClients 20\nLogFile \"" << folder
                        << "tinyproxy.log\"\nLogLevel Connect\n"
                        << (geteuid() == 0 ? "User root\nGroup root\n" : "");
  ChildProcess::Options options;
  options.arguments = {"tinyproxy", "-d", "-c", config};
  options.environment = EnvironmentWith({});
  options.output = folder + "tinyproxy.out";
  m_process = ChildProcess(options);
  const bool up = PollUntil(10, [&] {
    return !m_process.Running() ||
           RunTool({"bash", "-c", "exec 3<>/dev/tcp/127.0.0.1/" + std::to_string(port)},
                   EnvironmentWith({}), 5)
                   .status == 0;
  });
  if (!up || !m_process.Running()) {
    m_failure = "tinyproxy did not start: " + test_support::ReadFile(options.output);
  }
}

std::string LocalProxy::Address() const { return "127.0.0.1:" + std::to_string(m_port); }

std::string LocalProxy::Log() const { return test_support::ReadFile(m_folder + "tinyproxy.log"); }

}  // namespace e2e

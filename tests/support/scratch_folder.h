#pragma once
// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the test ends.

#include <boost/filesystem.hpp>
#include <fstream>
#include <string>

namespace test_support {

class ScratchFolder {
 public:
  ScratchFolder()
      : m_path(boost::filesystem::temp_directory_path() /
               boost::filesystem::unique_path("veltra-test-%%%%-%%%%-%%%%")) {
    boost::filesystem::create_directories(m_path);
  }
  ~ScratchFolder() {
    boost::system::error_code ignored;
    boost::filesystem::remove_all(m_path, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder with a trailing "/", as the download folder is written.
  std::string Folder() const { return m_path.string() + "/"; }
  std::string PathOf(const std::string& name) const { return Folder() + name; }

  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream file(PathOf(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }
  bool Exists(const std::string& name) const { return boost::filesystem::exists(PathOf(name)); }

 private:
  boost::filesystem::path m_path;
};

}  // namespace test_support

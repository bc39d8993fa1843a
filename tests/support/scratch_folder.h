#pragma once
// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the test ends.

#include <boost/filesystem.hpp>
#include <fstream>
#include <iterator>
#include <string>

namespace test_support {

// Whole files, in binary; a file that cannot be read reads as empty.
inline std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

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
    WriteFile(PathOf(name), bytes);
  }
  std::string Read(const std::string& name) const { return ReadFile(PathOf(name)); }
  bool Exists(const std::string& name) const { return boost::filesystem::exists(PathOf(name)); }

 private:
  boost::filesystem::path m_path;
};

}  // namespace test_support

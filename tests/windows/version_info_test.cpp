// The Windows program's version information as Windows reads it, through the
// version API, from the built program itself.

#include <windows.h>
// After windows.h.
#include <winver.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The build folder's path as wine's Z: drive shows it.
std::string ProgramPath() {
  std::string path = "Z:" + std::string(VELTRA_PROGRAM_FILE);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

class VersionInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string path = ProgramPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << path;
    m_block.resize(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, m_block.data()));
  }
  std::string Text(const std::string& name) {
    void* value = nullptr;
    UINT length = 0;
    const std::string query = "\\StringFileInfo\\041F04E6\\" + name;
    if (!VerQueryValueA(m_block.data(), query.c_str(), &value, &length) || length == 0) return "";
    return std::string(static_cast<const char*>(value));
  }
  std::vector<char> m_block;
};

TEST_F(VersionInfo, NamesTheProgramAndItsVersion) {
  EXPECT_EQ(Text("FileDescription"), "Veltra Kurulum");
  EXPECT_EQ(Text("ProductName"), "Veltra");
  EXPECT_EQ(Text("OriginalFilename"), "veltra-setup.exe");
  EXPECT_EQ(Text("FileVersion"), VELTRA_VERSION);
  EXPECT_EQ(Text("ProductVersion"), VELTRA_VERSION);
  EXPECT_EQ(Text("CompanyName"), VELTRA_COMPANY);

  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(m_block.data(), "\\", &value, &length));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(HIWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(numbers, VELTRA_VERSION);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

}  // namespace

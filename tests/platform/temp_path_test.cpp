#include "platform/win32/temp_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/win32/process_clock.h"
#include "tests/support/scratch_folder.h"

namespace {

// Restores $TMPDIR when a test ends.
class TmpdirOverride {
 public:
  TmpdirOverride() {
    const char* value = std::getenv("TMPDIR");
    m_had = value != nullptr;
    if (m_had) m_saved = value;
  }
  ~TmpdirOverride() {
    if (m_had) {
      setenv("TMPDIR", m_saved.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }
  void Set(const std::string& value) { setenv("TMPDIR", value.c_str(), 1); }
  void Unset() { unsetenv("TMPDIR"); }

 private:
  bool m_had = false;
  std::string m_saved;
};

std::string TempPath() {
  const DWORD needed = GetTempPathA(0, nullptr);
  if (needed == 0) return "(none)";
  std::string buffer(needed, '\0');
  const DWORD copied = GetTempPathA(needed, &buffer[0]);
  EXPECT_EQ(copied + 1, needed);
  buffer.resize(copied);
  return buffer;
}

TEST(TempPath, FollowsTmpdirAndAlwaysEndsInASlash) {
  test_support::ScratchFolder folder;
  TmpdirOverride tmpdir;
  std::string withoutSlash = folder.Folder();
  withoutSlash.pop_back();

  tmpdir.Set(withoutSlash);
  EXPECT_EQ(TempPath(), folder.Folder());
  tmpdir.Set(folder.Folder());
  EXPECT_EQ(TempPath(), folder.Folder());
  tmpdir.Set("");
  EXPECT_EQ(TempPath(), "/tmp/");
  tmpdir.Unset();
  EXPECT_EQ(TempPath(), "/tmp/");
  tmpdir.Set(folder.PathOf("does-not-exist"));
  EXPECT_EQ(TempPath(), "/tmp/");
}

TEST(TempPath, ShortBufferGetsTheLengthNeeded) {
  TmpdirOverride tmpdir;
  tmpdir.Unset();
  char small[3] = {'x', 'x', 'x'};
  EXPECT_EQ(GetTempPathA(sizeof small, small), 6u);  // "/tmp/" and its zero
  EXPECT_EQ(small[0], 'x');
}

std::int32_t FixedAt1234() { return 1234; }

TEST(ProcessClock, RunsForwardAndCanBeReplaced) {
  const std::int32_t first = ProcessClock();
  EXPECT_GE(first, 0);
  EXPECT_GE(ProcessClock(), first);
  SetProcessClockSource(&FixedAt1234);
  EXPECT_EQ(ProcessClock(), 1234);
  SetProcessClockSource(nullptr);
  EXPECT_GE(ProcessClock(), first);
}

}  // namespace

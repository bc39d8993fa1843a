#include "platform/win32/temp_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/process_clock.h"
#include "tests/support/scratch_folder.h"

namespace {

// Sets the three variables the choice depends on for one test, and puts them
// back when it ends. An absent value unsets the variable.
class EnvironmentOverride {
 public:
  EnvironmentOverride() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      m_saved.push_back({name, value != nullptr, value != nullptr ? value : ""});
    }
  }
  ~EnvironmentOverride() {
    for (const Saved& saved : m_saved) Set(saved.name, saved.had, saved.value);
  }
  static void Set(const char* name, bool present, const std::string& value) {
    if (present) {
      setenv(name, value.c_str(), 1);
    } else {
      unsetenv(name);
    }
  }

 private:
  static constexpr const char* kNames[] = {"TMPDIR", "XDG_CACHE_HOME", "HOME"};
  struct Saved {
    const char* name;
    bool had;
    std::string value;
  };
  std::vector<Saved> m_saved;
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

unsigned ModeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0u;
}

// "@" in a value stands for the scratch folder (with its "/"); "-" is unset.
struct Choice {
  const char* tmpdir;
  const char* cache;
  const char* home;
  const char* expected;
};

const Choice kChoices[] = {
    // $TMPDIR first, with or without its slash, whatever else is set.
    {"@tmp", "@cache", "@home", "@tmp/"},
    {"@tmp/", "-", "-", "@tmp/"},
    // Set but empty, missing or a file: the cache folder instead.
    {"", "@cache", "@home", "@cache/"},
    {"@missing", "@cache", "@home", "@cache/"},
    {"@file", "@cache", "@home", "@cache/"},
    {"-", "@cache", "@home", "@cache/"},
    // A missing cache folder is made, parents and all.
    {"-", "@new/deeper/cache", "@home", "@new/deeper/cache/"},
    // A relative or unusable $XDG_CACHE_HOME is passed over for $HOME/.cache.
    {"-", "relative/cache", "@home", "@home/.cache/"},
    {"-", "", "@home", "@home/.cache/"},
    {"-", "@file", "@home", "@home/.cache/"},
    {"-", "-", "@home", "@home/.cache/"},
    // Nothing of the user's own: the shared /tmp.
    {"-", "-", "-", "/tmp/"},
    {"-", "-", "", "/tmp/"},
    {"-", "-", "relative-home", "/tmp/"},
    {"-", "-", "@file", "/tmp/"},
};

TEST(TempPath, ChoosesTmpdirThenTheCacheFolderThenTmp) {
  for (const Choice& choice : kChoices) {
    test_support::ScratchFolder folder;
    folder.Write("file", "not a folder");
    boost::filesystem::create_directory(folder.PathOf("tmp"));
    boost::filesystem::create_directory(folder.PathOf("cache"));
    boost::filesystem::create_directory(folder.PathOf("home"));
    const auto expand = [&folder](const char* value) {
      std::string text = value;
      if (!text.empty() && text[0] == '@') text = folder.Folder() + text.substr(1);
      return text;
    };
    EnvironmentOverride environment;
    EnvironmentOverride::Set("TMPDIR", std::string(choice.tmpdir) != "-", expand(choice.tmpdir));
    EnvironmentOverride::Set("XDG_CACHE_HOME", std::string(choice.cache) != "-",
                             expand(choice.cache));
    EnvironmentOverride::Set("HOME", std::string(choice.home) != "-", expand(choice.home));
    const std::string label =
        std::string(choice.tmpdir) + " | " + choice.cache + " | " + choice.home;

    EXPECT_EQ(TempPath(), expand(choice.expected)) << label;
    EXPECT_FALSE(folder.Exists("missing")) << label;
    EXPECT_FALSE(folder.Exists("relative")) << label;
  }
}

// Made as the cache folder's rules ask: private to the user.
TEST(TempPath, MadeCacheFoldersArePrivate) {
  test_support::ScratchFolder folder;
  boost::filesystem::create_directory(folder.PathOf("home"));
  EnvironmentOverride environment;
  unsetenv("TMPDIR");
  unsetenv("XDG_CACHE_HOME");
  setenv("HOME", folder.PathOf("home").c_str(), 1);
  EXPECT_EQ(TempPath(), folder.PathOf("home/.cache/"));
  EXPECT_EQ(ModeOf(folder.PathOf("home/.cache")), 0700u);

  setenv("XDG_CACHE_HOME", folder.PathOf("a/b").c_str(), 1);
  EXPECT_EQ(TempPath(), folder.PathOf("a/b/"));
  EXPECT_EQ(ModeOf(folder.PathOf("a")), 0700u);
  EXPECT_EQ(ModeOf(folder.PathOf("a/b")), 0700u);
}

TEST(TempPath, ShortBufferGetsTheLengthNeeded) {
  test_support::ScratchFolder folder;
  EnvironmentOverride environment;
  setenv("TMPDIR", folder.Folder().c_str(), 1);
  const DWORD length = static_cast<DWORD>(folder.Folder().size());
  char small[3] = {'x', 'x', 'x'};
  EXPECT_EQ(GetTempPathA(sizeof small, small), length + 1);
  EXPECT_EQ(small[0], 'x');
  std::string exact(length, 'x');
  EXPECT_EQ(GetTempPathA(length, &exact[0]), length + 1);  // no room for the zero
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

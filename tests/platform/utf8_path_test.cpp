// Paths as the program holds them, in UTF-8, and the conversions where they
// meet the system. On Windows the conversions are the system's own, so the
// same cases check the POSIX side against them.

#include "platform/win32/utf8_path.h"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <string>

#include "platform/win32/code_page.h"
#include "tests/support/scratch_folder.h"

namespace {

using Wide = std::basic_string<WCHAR>;

// No ANSI code page has all of these letters, and the last one lies beyond
// 16 bits.
const char kEveryScript[] = "Şeyma Женя 😀";
const Wide kEveryScriptWide = {0x015E, 'e',    'y',    'm', 'a',    ' ',   0x0416,
                               0x0435, 0x043D, 0x044F, ' ', 0xD83D, 0xDE00};

TEST(Utf8Path, EveryLetterSurvivesTheWayToTheSystemAndBack) {
  EXPECT_EQ(WidePath(kEveryScript), kEveryScriptWide);
  EXPECT_EQ(Utf8Path(kEveryScriptWide.c_str()), kEveryScript);
  // What is not UTF-8 becomes a character no file name holds by chance.
  EXPECT_EQ(WidePath("a\xFF"
                     "b"),
            (Wide{'a', 0xFFFD, 'b'}));
  EXPECT_EQ(Utf8Path(Wide{'a', 0xD800, 'b'}.c_str()),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(Utf8Path, AFileIsMadeFoundAndListedUnderItsOwnName) {
  test_support::ScratchFolder folder;
  const std::string path = folder.PathOf(kEveryScript);
  HANDLE file = CreateFileUtf8(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "x", 1, &written, nullptr));
  CloseHandle(file);
  const DWORD attributes = GetFileAttributesUtf8(path.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);

  const boost::filesystem::directory_iterator listed(folder.Folder());
  ASSERT_NE(listed, boost::filesystem::directory_iterator());
#ifdef _WIN32
  EXPECT_EQ(listed->path().filename().wstring(),
            std::wstring(kEveryScriptWide.begin(), kEveryScriptWide.end()));
#else
  EXPECT_EQ(listed->path().filename().string(), kEveryScript);
#endif
}

// The bytes 1254 has no letter for read as Windows reads them, each as its
// own control character, so that no two names read alike.
TEST(TextCodePage, ReadsEveryByteAsWindowsDoes) {
  const char text[] = "\x80\x81\x9E\xDD\xFE";
  WCHAR wide[8] = {};
  ASSERT_EQ(MultiByteToWideChar(kTextCodePage, 0, text, 5, wide, 8), 5);
  EXPECT_EQ(Wide(wide, 5), (Wide{0x20AC, 0x0081, 0x009E, 0x0130, 0x015F}));
}

}  // namespace

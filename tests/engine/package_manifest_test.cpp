#include "engine/package_manifest.h"
#include "engine/piece_name.h"
#include "engine/piece_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Piece {
  std::string name;
  std::string crc;
};

std::vector<Piece> PiecesOf(const PackageManifest& plan) {
  std::vector<Piece> pieces;
  for (const PieceEntry& entry : plan.entries) {
    EXPECT_FALSE(entry.complete);
    pieces.push_back({entry.name, entry.crc});
  }
  return pieces;
}

void ExpectPieces(const PackageManifest& plan, const std::vector<Piece>& expected) {
  const std::vector<Piece> actual = PiecesOf(plan);
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(actual[i].name, expected[i].name) << "piece " << i;
    EXPECT_EQ(actual[i].crc, expected[i].crc) << "piece " << i;
  }
}

TEST(ManifestTokens, LineEndsAreOnlySeparators) {
  const std::string lf = "http://h/p/\n3\na.cab;1\nb.cab;2\nsetup.exe;3\n";
  const std::string crlf = "http://h/p/\r\n3\r\na.cab;1\r\nb.cab;2\r\nsetup.exe;3\r\n";
  const std::string spaces = "http://h/p/ 3 a.cab;1 b.cab;2 setup.exe;3";
  const std::string mixed = "\t http://h/p/\v3\f a.cab;1  \n\n b.cab;2\r\rsetup.exe;3";
  for (const std::string& text : {lf, crlf, spaces, mixed}) {
    auto plan = ParseManifest(text);
    ASSERT_TRUE(plan.has_value()) << text;
    EXPECT_EQ(plan->baseUrl, "http://h/p");
    EXPECT_EQ(plan->totalPieces, 3);
    ExpectPieces(*plan, {{"a.cab", "1"}, {"b.cab", "2"}, {"setup.exe", "3"}});
    EXPECT_EQ(plan->installerName, "setup.exe");
  }
}

TEST(ManifestTokens, FewerThanThreeTokensAreCorrupt) {
  for (const char* text : {"", "   \r\n\t", "http://h/p/", "http://h/p/ 1"}) {
    EXPECT_FALSE(ParseManifest(text).has_value()) << '"' << text << '"';
  }
  auto plan = ParseManifest("http://h/p/ 1 only.bin;42");
  ASSERT_TRUE(plan.has_value());
  ExpectPieces(*plan, {{"only.bin", "42"}});
}

TEST(ManifestTokens, BaseLosesExactlyItsLastSlash) {
  struct Case {
    const char* token;
    const char* base;
  } cases[] = {
      {"http://h/dir/", "http://h/dir"},
      {"http://h/dir/sub", "http://h/dirsub"},  // the last inner slash goes instead
      {"http://h//", "http://h/"},
      {"nohost", "nohost"},
  };
  for (const Case& c : cases) {
    auto plan = ParseManifest(std::string(c.token) + " 1 a;1");
    ASSERT_TRUE(plan.has_value()) << c.token;
    EXPECT_EQ(plan->baseUrl, c.base) << c.token;
  }
}

TEST(ManifestTokens, CountIsReadLikeAtoi) {
  struct Case {
    const char* token;
    int count;
  } cases[] = {{"12", 12}, {"7pieces", 7}, {"x7", 0}, {"-3", -3}, {"+5", 5}, {"0", 0}};
  for (const Case& c : cases) {
    auto plan = ParseManifest(std::string("http://h/ ") + c.token + " a;1");
    ASSERT_TRUE(plan.has_value()) << c.token;
    EXPECT_EQ(plan->totalPieces, c.count) << c.token;
  }
}

TEST(ManifestPieces, EachTokenNeedsExactlyOneSemicolon) {
  EXPECT_FALSE(ParseManifest("http://h/ 2 a;1 b;2;3").has_value());
  EXPECT_FALSE(ParseManifest("http://h/ 2 a;1 b").has_value());
  EXPECT_FALSE(ParseManifest("http://h/ 2 a;;1").has_value());
  // The faulty token rejects the pieces before it as well.
  EXPECT_FALSE(ParseManifest("http://h/ 3 a;1 b;2 c").has_value());
}

TEST(ManifestPieces, EmptyChecksumIsAcceptedEmptyNameIsNot) {
  auto plan = ParseManifest("http://h/ 2 a; b;");
  ASSERT_TRUE(plan.has_value());
  ExpectPieces(*plan, {{"a", ""}, {"b", ""}});
  // Without a name the piece file would be the download folder itself.
  EXPECT_FALSE(ParseManifest("http://h/ 2 a;1 ;5").has_value());
  EXPECT_FALSE(ParseManifest("http://h/ 1 ;").has_value());
}

TEST(ManifestPieces, BytesOutsideAsciiPassUnchanged) {
  const std::string name =
      "par\xE7"
      "a\xFE.bin";
  auto plan = ParseManifest("http://h/ 1 " + name + ";9");
  ASSERT_TRUE(plan.has_value());
  ExpectPieces(*plan, {{name, "9"}});
}

TEST(ManifestInstaller, FirstNameContainingDotExeWins) {
  struct Case {
    const char* pieces;
    const char* installer;
  } cases[] = {
      {"a.cab;1 first.exe;2 second.exe;3", "first.exe"},
      {"setup.exe.part2;1 setup.exe;2", "setup.exe.part2"},  // anywhere in the name
      {"SETUP.EXE;1 data.cab;2", ""},                        // case matters
      {"a.cab;1 b.cab;2", ""},
      {"a.EXE;1 run.exe;2", "run.exe"},
  };
  for (const Case& c : cases) {
    auto plan = ParseManifest(std::string("http://h/ 2 ") + c.pieces);
    ASSERT_TRUE(plan.has_value()) << c.pieces;
    EXPECT_EQ(plan->installerName, c.installer) << c.pieces;
  }
}

// Names become paths by concatenation with the download folder.
TEST(ManifestPieces, NamesThatWouldLeaveTheFolderAreCorrupt) {
  for (const char* name :
       {"/etc/passwd", "../up.exe", "sub/a.cab", "sub\\a.cab", "..", ".", "a/", "\\share"}) {
    EXPECT_FALSE(ParseManifest(std::string("http://h/ 2 ok.cab;1 ") + name + ";2").has_value())
        << name;
  }
  // The C library would see only what comes before the NUL: "..", ".", "ok".
  for (const std::string& name :
       {std::string("..\0.exe", 7), std::string(".\0", 2), std::string("ok\0.cab", 7)}) {
    EXPECT_FALSE(ParseManifest("http://h/ 2 ok.cab;1 " + name + ";2").has_value());
  }
  for (const char* name : {"..a", "a..b", ".hidden"}) {
    EXPECT_TRUE(ParseManifest(std::string("http://h/ 1 ") + name + ";2").has_value()) << name;
  }
}

// One manifest serves both programs, so a name Windows would store as another
// file, as a stream or open as a device is refused on both.
TEST(ManifestPieces, NamesWindowsWouldStoreDifferentlyAreCorrupt) {
  for (const char* name : {"data1.bin.", "...",     "VeltraSetup.exe:x",
                           "a<b",        "a>b",     "a\"b",
                           "a|b",        "a?b",     "a*b",
                           "tab\x01",    "x\x1f",   "CON",
                           "con",        "NUL.bin", "nul.tar.gz",
                           "Aux.cab",    "PRN",     "COM1",
                           "com9.bin",   "COM\xB9", "lpt\xB3.cab",
                           "LPT1",       "lpt5.x",  "CONIN$",
                           "conout$.cab"}) {
    EXPECT_FALSE(ParseManifest(std::string("http://h/ 2 ok.cab;1 ") + name + ";2").has_value())
        << name;
  }
  for (const char* name : {"CONSOLE.bin", "COM0", "COM10", "LPT", "NULL", "a.CON", "data.nul",
                           "\xDDndir.bin", "kur\xFDlum.cab"}) {
    EXPECT_TRUE(ParseManifest(std::string("http://h/ 1 ") + name + ";2").has_value()) << name;
  }
  // White space separates tokens, so only a caller other than the parser can
  // hand over a trailing space.
  EXPECT_FALSE(IsSafePieceName("data1.bin "));
}

// A name is the manifest's bytes in the ANSI code page, 1254 on POSIX; the
// path is UTF-8 (under wine the code page is another, so only ASCII is sure).
TEST(ManifestPieces, APieceFileIsTheFolderAndTheNameInUtf8) {
  EXPECT_EQ(PiecePath("C:\\T\\", "Veltra.part1"), "C:\\T\\Veltra.part1");
#ifndef _WIN32
  EXPECT_EQ(PiecePath("/t/", "kur\xFDlum \xDDndir.cab"), "/t/kur\xC4\xB1lum \xC4\xB0ndir.cab");
#endif
}

TEST(ManifestChecksum, ThirtyTwoBitDecimalWithOneOptionalSign) {
  struct Case {
    const char* text;
    bool valid;
    std::uint32_t value;
  } cases[] = {
      {"0", true, 0},
      {"3421780262", true, 3421780262u},
      {"+3421780262", true, 3421780262u},
      {"4294967295", true, 4294967295u},
      {"-1", true, 4294967295u},
      {"4294967296", false, 0},
      {"", false, 0},
      {"12a", false, 0},
      {"0x10", false, 0},
      {"++1", false, 0},
      {" 1", false, 0},
  };
  for (const Case& c : cases) {
    std::uint32_t value = 7;
    EXPECT_EQ(ParseChecksum(c.text, value), c.valid) << '"' << c.text << '"';
    if (c.valid) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

}  // namespace

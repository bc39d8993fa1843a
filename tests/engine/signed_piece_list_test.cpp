#include <gtest/gtest.h>

#include <list>
#include <string>

#include "engine/piece_acceptance.h"
#include "engine/signed_piece_list.h"
#include "tests/support/forged_crc.h"
#include "tests/support/signed_package.h"

namespace {

using test_support::Crc32Of;

const std::string kDigestA(64, 'a');
const std::string kDigestB = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
const std::string kSignatureLine = "signature " + std::string(128, '7') + "\n";

std::string ListOf(const std::string& lines) { return lines + kSignatureLine; }

std::list<PieceEntry> EntriesNamed(std::initializer_list<const char*> names) {
  std::list<PieceEntry> entries;
  for (const char* name : names) entries.push_back(PieceEntry{name, "0", false});
  return entries;
}

TEST(SignedPieceList, ReadsDigestsTheSignedBytesAndTheSignature) {
  const std::string lines = kDigestA + " a.cab\n" + kDigestB + " VeltraSetup.exe\n";
  const std::optional<SignedPieceList> list = ParseSignedPieceList(ListOf(lines));
  ASSERT_TRUE(list);
  EXPECT_EQ(list->signedPart, lines);
  ASSERT_EQ(list->digests.size(), 2u);
  EXPECT_EQ(list->digests.at("VeltraSetup.exe")[0], 0x01);
  EXPECT_EQ(list->digests.at("VeltraSetup.exe")[31], 0xef);
  EXPECT_EQ(list->signature[0], 0x77);
  EXPECT_EQ(list->signature[63], 0x77);
}

TEST(SignedPieceList, RefusesEveryOtherForm) {
  const std::string good = kDigestA + " a.cab\n";
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"no signature line", good},
      {"signature line without its line end", good + kSignatureLine.substr(0, 138)},
      {"a line after the signature", ListOf(good) + good},
      {"signature of 127 digits", good + "signature " + std::string(127, '7') + "\n"},
      {"signature in capitals", good + "signature " + std::string(128, 'A') + "\n"},
      {"digest in capitals", ListOf(std::string(64, 'A') + " a.cab\n")},
      {"digest of 63 digits", ListOf(std::string(63, 'a') + " a.cab\n")},
      {"two spaces", ListOf(kDigestA + "  a.cab\n")},
      {"no name", ListOf(kDigestA + " \n")},
      {"name with a tab", ListOf(kDigestA + " a\tb\n")},
      {"name with the manifest's separator", ListOf(kDigestA + " a;1\n")},
      {"a name twice", ListOf(good + kDigestB + " a.cab\n")},
      {"the list's own name", ListOf(kDigestA + " vlt_package.sig\n")},
      {"CR LF line ends", kDigestA + " a.cab\r\n" + kSignatureLine},
      {"larger than any list", ListOf(std::string(kSignedListLargest, '\n'))},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ParseSignedPieceList(c.text)) << c.what;
  }
}

TEST(SignedPieceList, CoversExactlyTheManifestsOtherPieces) {
  const auto list = ParseSignedPieceList(ListOf(kDigestA + " a.cab\n" + kDigestB + " b.exe\n"));
  ASSERT_TRUE(list);
  EXPECT_TRUE(CoversExactly(*list, EntriesNamed({"vlt_package.sig", "a.cab", "b.exe"})));
  // A name listed twice by the manifest is one file, so one line.
  EXPECT_TRUE(CoversExactly(*list, EntriesNamed({"vlt_package.sig", "b.exe", "a.cab", "b.exe"})));
  EXPECT_FALSE(CoversExactly(*list, EntriesNamed({"vlt_package.sig", "a.cab"})))
      << "a line for a piece the manifest lacks";
  EXPECT_FALSE(CoversExactly(*list, EntriesNamed({"vlt_package.sig", "a.cab", "b.exe", "c.cab"})))
      << "a piece without a line";
  EXPECT_FALSE(CoversExactly(*list, EntriesNamed({"a.cab", "b.exe"})))
      << "the first entry is the list's own, never a piece it names";
}

// --- The publisher's signature, on the tests' signed package ---------------

class SignedPackage : public ::testing::Test {
 protected:
  SignedPackage() : pieces(test_support::SignedPackagePieces()) {
    for (const auto& piece : pieces) {
      entries.push_back(PieceEntry{piece.name, std::to_string(Crc32Of(piece.body)), false});
    }
  }
  const std::string& List() const { return pieces[0].body; }

  std::vector<test_support::SignedPiece> pieces;
  std::list<PieceEntry> entries;
};

TEST_F(SignedPackage, OnlyTheKeysOwnListOfThisManifestIsTaken) {
  EXPECT_TRUE(CPieceAcceptance(test_support::TestPackageKey(), entries).TakeList(List()));
  EXPECT_FALSE(
      CPieceAcceptance(test_support::TestPackageKey("other_package_key"), entries).TakeList(List()))
      << "signed by another key";

  // One byte of a digest changed, and the manifest's CRC-32 changed with it
  // as an attacker would: only the signature stands in the way.
  std::string changed = List();
  changed[10] = changed[10] == '0' ? '1' : '0';
  std::list<PieceEntry> forged = entries;
  forged.front().crc = std::to_string(Crc32Of(changed));
  EXPECT_FALSE(CPieceAcceptance(test_support::TestPackageKey(), forged).TakeList(changed));

  EXPECT_FALSE(CPieceAcceptance(test_support::TestPackageKey(), forged).TakeList(List()))
      << "the list's bytes are not the ones the manifest names";
  std::list<PieceEntry> extra = entries;
  extra.push_back(PieceEntry{"extra.cab", "0", false});
  EXPECT_FALSE(CPieceAcceptance(test_support::TestPackageKey(), extra).TakeList(List()))
      << "a piece the list does not cover";
}

TEST_F(SignedPackage, APieceCountsOnlyWithBothChecksums) {
  CPieceAcceptance acceptance(test_support::TestPackageKey(), entries);
  const PieceEntry& installer = entries.back();
  const std::string& body = pieces.back().body;
  const std::uint32_t crc = Crc32Of(body);
  EXPECT_FALSE(acceptance.Counts(installer, crc, Sha256Of(body.data(), body.size())))
      << "nothing counts before the list";
  EXPECT_FALSE(acceptance.SignedDigestOf(installer.name));

  ASSERT_TRUE(acceptance.TakeList(List()));
  EXPECT_TRUE(acceptance.WantsDigest());
  EXPECT_TRUE(acceptance.Counts(installer, crc, Sha256Of(body.data(), body.size())));
  EXPECT_EQ(acceptance.SignedDigestOf(installer.name), Sha256Of(body.data(), body.size()));

  const std::string forged = test_support::ForgedToCrc("#!/bin/sh\necho forged\n", crc);
  ASSERT_EQ(Crc32Of(forged), crc);
  EXPECT_FALSE(acceptance.Counts(installer, crc, Sha256Of(forged.data(), forged.size())))
      << "a forged CRC-32 is not enough";
  EXPECT_FALSE(acceptance.Counts(installer, crc, std::nullopt));
  EXPECT_FALSE(acceptance.Counts(installer, crc ^ 1, Sha256Of(body.data(), body.size())));
}

TEST_F(SignedPackage, WithoutAKeyTheCrcAloneDecides) {
  const CPieceAcceptance acceptance;
  EXPECT_FALSE(acceptance.AwaitsList());
  EXPECT_FALSE(acceptance.WantsDigest());
  EXPECT_TRUE(acceptance.ListComesFirst());
  const std::string& body = pieces.back().body;
  EXPECT_TRUE(acceptance.Counts(entries.back(), Crc32Of(body), std::nullopt));
  EXPECT_FALSE(acceptance.Counts(entries.back(), Crc32Of(body) ^ 1, std::nullopt));
}

}  // namespace

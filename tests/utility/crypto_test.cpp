// SHA-256 digests, ECDSA P-256 signature checks and the hex text they are
// written in, against published known answers: the SHA-256 examples of FIPS
// 180 and the P-256 key and SHA-256 signatures of RFC 6979, A.2.5.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/bcrypt_api.h"
#include "utility/hex_text.h"
#include "utility/sha256_digest.h"
#include "utility/signature_check.h"

namespace {

struct KnownDigest {
  std::string message;
  const char* digest;
};

const KnownDigest kFips180Examples[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

struct KnownSignature {
  const char* message;
  const char* rs;
};

const char kRfc6979Key[] =
    "60fed4ba255a9d31c961eb74c6356d68c049b8923b61fa6ce669622e60f29fb6"
    "7903fe1008b8bc99a41ae9e95628bc64f2f1b20c2d7e9f5177a3c294d4462299";
const KnownSignature kRfc6979Signatures[] = {
    {"sample",
     "efd48b2aacb6a8fd1140dd9cd45e81d69d2c877b56aaf991c34d0ea84eaf3716"
     "f7cb1c942d657c41d436c7a1b6e29f65f3e900dbb9aff4064dc4ab2f843acda8"},
    {"test",
     "f1abb023518351cd71d881567b1ea663ed3efcf6c5132b354f28d3b0b7d38367"
     "019f4113742a2b14bd25926b49c649155f267e60d3814b4c0cc84250e46f0083"},
};
// The order of P-256's group.
const char kGroupOrder[] = "ffffffff00000000ffffffffffffffffbce6faada7179e84f3b9cac2fc632551";

template <std::size_t Size>
std::array<std::uint8_t, Size> Bytes(const std::string& hex) {
  std::array<std::uint8_t, Size> bytes{};
  EXPECT_TRUE(ParseHex(hex, bytes.data(), Size)) << hex;
  return bytes;
}

bool Verifies(const P256PublicKey& key, const std::string& message,
              const P256Signature& signature) {
  return VerifyP256Signature(key, message.data(), message.size(), signature);
}

TEST(Sha256Digest, PublishedExamples) {
  for (const KnownDigest& example : kFips180Examples) {
    EXPECT_EQ(Sha256Of(example.message.data(), example.message.size()), Bytes<32>(example.digest))
        << example.message.size() << " bytes";
  }
}

// Parts of every odd size up to 129 cross the 64-byte blocks at every offset.
TEST(Sha256Digest, OddPartsGiveTheWholeDigest) {
  for (const KnownDigest& example : kFips180Examples) {
    CSha256 hash;
    std::size_t offset = 0;
    for (std::size_t part = 1; offset < example.message.size(); part = part >= 129 ? 1 : part + 2) {
      const std::size_t length = std::min(part, example.message.size() - offset);
      hash.Update(example.message.data() + offset, length);
      offset += length;
    }
    EXPECT_EQ(hash.Finish(), Bytes<32>(example.digest)) << example.message.size() << " bytes";
  }
}

TEST(Sha256Digest, FinishStartsAgain) {
  CSha256 hash;
  hash.Update("ab", 2);
  hash.Update(nullptr, 0);
  hash.Update("c", 1);
  EXPECT_EQ(hash.Finish(), Bytes<32>(kFips180Examples[1].digest));
  hash.Update("abc", 3);
  EXPECT_EQ(hash.Finish(), Bytes<32>(kFips180Examples[1].digest));
  EXPECT_EQ(hash.Finish(), Bytes<32>(kFips180Examples[0].digest));
}

TEST(P256Signature, PublishedSignaturesVerify) {
  const P256PublicKey key = Bytes<64>(kRfc6979Key);
  for (const KnownSignature& known : kRfc6979Signatures) {
    EXPECT_TRUE(Verifies(key, known.message, Bytes<64>(known.rs))) << known.message;
  }
  // Each signature is for its own message only.
  EXPECT_FALSE(Verifies(key, "test", Bytes<64>(kRfc6979Signatures[0].rs)));
}

// Bits at both ends of a number and in between.
const std::size_t kFlippedBits[] = {0, 7, 100, 255};

void FlipBit(std::uint8_t* bytes, std::size_t bit) { bytes[bit / 8] ^= 1u << (bit % 8); }

TEST(P256Signature, OneFlippedBitIsRefused) {
  const P256PublicKey key = Bytes<64>(kRfc6979Key);
  const KnownSignature& known = kRfc6979Signatures[0];
  const P256Signature signature = Bytes<64>(known.rs);
  for (std::size_t bit = 0; bit < 8 * std::strlen(known.message); bit += 5) {
    std::string message = known.message;
    FlipBit(reinterpret_cast<std::uint8_t*>(message.data()), bit);
    EXPECT_FALSE(Verifies(key, message, signature)) << "message bit " << bit;
  }
  for (std::size_t bit : kFlippedBits) {
    P256Signature r = signature;
    FlipBit(r.data(), bit);
    EXPECT_FALSE(Verifies(key, known.message, r)) << "r bit " << bit;
    P256Signature s = signature;
    FlipBit(s.data() + 32, bit);
    EXPECT_FALSE(Verifies(key, known.message, s)) << "s bit " << bit;
    P256PublicKey y = key;
    FlipBit(y.data() + 32, bit);
    EXPECT_FALSE(Verifies(y, known.message, signature)) << "Y bit " << bit;
  }
}

TEST(P256Signature, NumbersOutOfRangeAreRefused) {
  const P256PublicKey key = Bytes<64>(kRfc6979Key);
  const KnownSignature& known = kRfc6979Signatures[1];
  const std::string r(known.rs, 64);
  const std::string s(known.rs + 64);
  const std::string zero(64, '0');
  const std::string all_ones(64, 'f');
  const std::string refused[] = {zero + s, r + zero, kGroupOrder + s, r + kGroupOrder,
                                 r + all_ones};
  for (const std::string& rs : refused) {
    EXPECT_FALSE(Verifies(key, known.message, Bytes<64>(rs))) << rs;
  }
}

TEST(P256Signature, PointsOffTheCurveAreRefused) {
  const std::string x(kRfc6979Key, 64);
  const std::string y(kRfc6979Key + 64);
  const KnownSignature& known = kRfc6979Signatures[0];
  const std::string off_curve[] = {std::string(128, '0'), y + x, x + x};
  for (const std::string& point : off_curve) {
    EXPECT_FALSE(Verifies(Bytes<64>(point), known.message, Bytes<64>(known.rs))) << point;
  }
}

// The layer answers as Windows does where the program could tell.
TEST(CngLayer, VerificationStatuses) {
  BCRYPT_ALG_HANDLE provider = nullptr;
  ASSERT_EQ(BCryptOpenAlgorithmProvider(&provider, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0),
            STATUS_SUCCESS);
  std::vector<UCHAR> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 64);
  const BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::memcpy(blob.data(), &header, sizeof header);
  ASSERT_TRUE(ParseHex(kRfc6979Key, blob.data() + sizeof header, 64));
  BCRYPT_KEY_HANDLE key = nullptr;
  ASSERT_EQ(BCryptImportKeyPair(provider, nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob.data(),
                                static_cast<ULONG>(blob.size()), 0),
            STATUS_SUCCESS);
  Sha256Digest digest = *Sha256Of("sample", 6);
  P256Signature signature = Bytes<64>(kRfc6979Signatures[0].rs);
  EXPECT_EQ(BCryptVerifySignature(key, nullptr, digest.data(), 32, signature.data(), 64, 0),
            STATUS_SUCCESS);
  signature[63] ^= 1;
  EXPECT_EQ(BCryptVerifySignature(key, nullptr, digest.data(), 32, signature.data(), 64, 0),
            STATUS_INVALID_SIGNATURE);
  EXPECT_EQ(BCryptDestroyKey(key), STATUS_SUCCESS);
  EXPECT_EQ(BCryptCloseAlgorithmProvider(provider, 0), STATUS_SUCCESS);
}

TEST(HexText, EveryByteBothWays) {
  std::vector<std::uint8_t> bytes(256);
  std::string expected;
  for (unsigned value = 0; value < 256; ++value) {
    bytes[value] = static_cast<std::uint8_t>(value);
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", value);
    expected += digits;
  }
  EXPECT_EQ(HexText(bytes.data(), bytes.size()), expected);
  std::vector<std::uint8_t> parsed(256);
  EXPECT_TRUE(ParseHex(expected, parsed.data(), parsed.size()));
  EXPECT_EQ(parsed, bytes);
}

TEST(HexText, OnlyExactLowercaseDigitsParse) {
  std::uint8_t out[2];
  const char* refused[] = {"abc",  "0a0",  "0A0b", "0a0B",   "0g00",
                           "0a 0", " 0a0", "+0a0", "0a0b0c", "0a"};
  for (const char* text : refused) EXPECT_FALSE(ParseHex(text, out, 2)) << text;
  EXPECT_TRUE(ParseHex("", out, 0));
  EXPECT_FALSE(ParseHex("", out, 1));
}

}  // namespace

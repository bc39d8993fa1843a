// Feeds arbitrary bytes to the manifest parser and the checksum reader. Any
// plan the parser accepts must be safe to turn into paths in the download
// folder, and the checksum reader must agree with a plain reading of its rule.

#include "engine/package_manifest.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void Fail(const char* what, const std::string& text) {
  std::fprintf(stderr, "%s: \"", what);
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      std::fputc(c, stderr);
    } else {
      std::fprintf(stderr, "\\x%02x", c);
    }
  }
  std::fprintf(stderr, "\"\n");
  std::abort();
}

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The piece file is the download folder followed by the name, and the piece's
// address the base followed by "/" and the name: a name must stay one plain
// entry of that folder, and what the C library sees must be the whole name.
void CheckPieceName(const std::string& name) {
  if (name.empty()) Fail("empty piece name", name);
  if (name == "." || name == "..") Fail("piece name is a folder", name);
  for (char c : name) {
    if (c == '/' || c == '\\') Fail("piece name holds a separator", name);
    if (c == '\0') Fail("piece name holds NUL", name);
    if (c == ';') Fail("piece name holds the field separator", name);
    if (IsSpace(c)) Fail("piece name holds white space", name);
  }
}

void CheckPlan(const PackageManifest& plan) {
  std::string firstExe;
  for (const PieceEntry& entry : plan.entries) {
    CheckPieceName(entry.name);
    if (entry.complete) Fail("parsed piece already complete", entry.name);
    for (char c : entry.crc) {
      if (c == ';' || IsSpace(c)) Fail("checksum text holds a separator", entry.crc);
    }
    if (firstExe.empty() && entry.name.find(".exe") != std::string::npos) firstExe = entry.name;
  }
  if (plan.entries.empty()) Fail("accepted plan without pieces", plan.baseUrl);
  if (plan.installerName != firstExe) Fail("installer is not the first .exe", plan.installerName);
}

// Decimal digits after at most one sign, at most 32 bits of magnitude; a minus
// negates modulo 2^32.
bool ReadChecksumPlainly(const std::string& text, std::uint32_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  std::uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (magnitude > 0xFFFFFFFFu) return false;
  }
  value = static_cast<std::uint32_t>(magnitude);
  if (negative) value = 0u - value;
  return true;
}

void CheckChecksum(const std::string& text) {
  std::uint32_t expected = 0;
  std::uint32_t actual = 0;
  const bool plain = ReadChecksumPlainly(text, expected);
  if (ParseChecksum(text, actual) != plain) Fail("checksum accepted differently", text);
  if (plain && actual != expected) Fail("checksum read as another value", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (const auto plan = ParseManifest(text)) {
    CheckPlan(*plan);
    for (const PieceEntry& entry : plan->entries) CheckChecksum(entry.crc);
  }
  CheckChecksum(text);
  return 0;
}

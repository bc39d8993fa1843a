#pragma once
// SHA-256 through the system's CNG provider, which is opened once for the
// process and kept open for its life.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/win32/bcrypt_api.h"

using Sha256Digest = std::array<std::uint8_t, 32>;

// SHA-256 of bytes given in parts. Owns its hash object. One object is used
// by one thread at a time; it may be handed to another thread between calls.
class CSha256 {
 public:
  CSha256();
  ~CSha256();
  CSha256(const CSha256&) = delete;
  CSha256& operator=(const CSha256&) = delete;

  // Any length: the system takes at most a ULONG at a time.
  void Update(const void* data, std::size_t length);
  // The digest of everything given since construction or the last Finish;
  // the object then starts again. std::nullopt when the system could not
  // hash (no provider, or a part it refused).
  std::optional<Sha256Digest> Finish();

 private:
  // Whether there is a hash object to take bytes, made when first needed. A
  // hash object cannot be used again once finished (Windows 7 has no
  // reusable ones), so each digest gets a new one.
  bool Ready();
  // Destroys the hash object and forgets a failure: the next bytes start anew.
  void Discard();

  BCRYPT_HASH_HANDLE m_hash = nullptr;
  // The system refused a hash object or a part since the last Finish.
  bool m_failed = false;
};

// Any thread.
std::optional<Sha256Digest> Sha256Of(const void* data, std::size_t length);

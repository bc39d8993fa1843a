#pragma once
// ECDSA P-256 signatures over SHA-256, checked through the system's CNG
// provider, which is opened once for the process. Stateless.

#include <array>
#include <cstddef>
#include <cstdint>

using P256PublicKey = std::array<std::uint8_t, 64>;  // X then Y, big-endian
using P256Signature = std::array<std::uint8_t, 64>;  // r then s, big-endian

// Whether `signature` is the key's ECDSA signature over SHA-256 of the
// message. Any failure (a key off the curve, no provider) is false. Any thread.
bool VerifyP256Signature(const P256PublicKey& key, const void* message, std::size_t length,
                         const P256Signature& signature);

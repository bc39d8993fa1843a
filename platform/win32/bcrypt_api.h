#pragma once
// The part of CNG (bcrypt) the program uses: SHA-256 hashes and ECDSA P-256
// verification. On Windows the system's; on POSIX on libcrypto, with the
// same names, records and NTSTATUS values.
//
// A handle belongs to whoever opened, created or imported it until it is
// closed or destroyed. An algorithm provider may be used by any number of
// threads at once; a hash or a key by one thread at a time.
//
// What the POSIX side takes of Windows: only the algorithms and the blob
// below; no implementation name, no flags; BCryptCreateHash only with no
// object buffer (the system keeps the object, as Windows 7 and later allow)
// and no secret; a finished hash takes nothing more (no reusable hashes:
// Windows 7 has none either), only BCryptDestroyHash. An imported point is
// checked to be on the curve (wine's CNG takes one that is not, and refuses
// only its signatures).

#ifdef _WIN32
#include <windows.h>

#include <bcrypt.h>

// These live in ntstatus.h, which does not go with windows.h.
#ifndef STATUS_SUCCESS
#define STATUS_SUCCESS ((NTSTATUS)0x00000000L)
#endif
#ifndef STATUS_NOT_SUPPORTED
#define STATUS_NOT_SUPPORTED ((NTSTATUS)0xC00000BBL)
#endif
#ifndef STATUS_INVALID_SIGNATURE
#define STATUS_INVALID_SIGNATURE ((NTSTATUS)0xC000A000L)
#endif

#else

#include "platform/win32/windows_types.h"

using NTSTATUS = LONG;
using UCHAR = unsigned char;
using PUCHAR = UCHAR*;
using BCRYPT_HANDLE = void*;
using BCRYPT_ALG_HANDLE = void*;
using BCRYPT_HASH_HANDLE = void*;
using BCRYPT_KEY_HANDLE = void*;

#define BCRYPT_SUCCESS(status) (static_cast<NTSTATUS>(status) >= 0)

constexpr NTSTATUS STATUS_SUCCESS = 0;
constexpr NTSTATUS STATUS_INVALID_HANDLE = static_cast<NTSTATUS>(0xC0000008);
constexpr NTSTATUS STATUS_INVALID_PARAMETER = static_cast<NTSTATUS>(0xC000000D);
constexpr NTSTATUS STATUS_NO_MEMORY = static_cast<NTSTATUS>(0xC0000017);
constexpr NTSTATUS STATUS_NOT_SUPPORTED = static_cast<NTSTATUS>(0xC00000BB);
constexpr NTSTATUS STATUS_INVALID_SIGNATURE = static_cast<NTSTATUS>(0xC000A000);

// Names are wide text, which on POSIX is char16_t.
#define BCRYPT_SHA256_ALGORITHM u"SHA256"
#define BCRYPT_ECDSA_P256_ALGORITHM u"ECDSA_P256"
#define BCRYPT_ECCPUBLIC_BLOB u"ECCPUBLICBLOB"

// "ECS1": a P-256 public key, the header then X then Y, each cbKey bytes
// big-endian.
constexpr ULONG BCRYPT_ECDSA_PUBLIC_P256_MAGIC = 0x31534345;
struct BCRYPT_ECCKEY_BLOB {
  ULONG dwMagic;
  ULONG cbKey;
};

NTSTATUS BCryptOpenAlgorithmProvider(BCRYPT_ALG_HANDLE* algorithm, LPCWSTR algorithmId,
                                     LPCWSTR implementation, ULONG flags);
NTSTATUS BCryptCloseAlgorithmProvider(BCRYPT_ALG_HANDLE algorithm, ULONG flags);

NTSTATUS BCryptCreateHash(BCRYPT_ALG_HANDLE algorithm, BCRYPT_HASH_HANDLE* hash, PUCHAR hashObject,
                          ULONG hashObjectLength, PUCHAR secret, ULONG secretLength, ULONG flags);
NTSTATUS BCryptHashData(BCRYPT_HASH_HANDLE hash, PUCHAR input, ULONG inputLength, ULONG flags);
// output must be exactly the digest's length.
NTSTATUS BCryptFinishHash(BCRYPT_HASH_HANDLE hash, PUCHAR output, ULONG outputLength, ULONG flags);
NTSTATUS BCryptDestroyHash(BCRYPT_HASH_HANDLE hash);

// A BCRYPT_ECCPUBLIC_BLOB for an ECDSA_P256 provider; importKey is null.
NTSTATUS BCryptImportKeyPair(BCRYPT_ALG_HANDLE algorithm, BCRYPT_KEY_HANDLE importKey,
                             LPCWSTR blobType, BCRYPT_KEY_HANDLE* key, PUCHAR input,
                             ULONG inputLength, ULONG flags);
// ECDSA: paddingInfo is null, hash is the message's digest and signature is r
// then s, 32 bytes each big-endian. STATUS_INVALID_SIGNATURE when it does not
// verify.
NTSTATUS BCryptVerifySignature(BCRYPT_KEY_HANDLE key, void* paddingInfo, PUCHAR hash,
                               ULONG hashLength, PUCHAR signature, ULONG signatureLength,
                               ULONG flags);
NTSTATUS BCryptDestroyKey(BCRYPT_KEY_HANDLE key);

#endif  // _WIN32

#pragma once
// Files and file mappings by handle, Windows-style; on POSIX on descriptors.
// Any thread; a handle belongs to whoever opened it until it is closed.
//
// What the POSIX side keeps of Windows: an open never waits (a FIFO or a
// device opens at once and says what it is through GetFileType); a folder
// opens only with FILE_FLAG_BACKUP_SEMANTICS; FILE_FLAG_OPEN_REPARSE_POINT
// does not follow a symbolic link at the last component but opens the link
// itself, which then reports FILE_ATTRIBUTE_REPARSE_POINT and can be neither
// read nor written. Files are made readable and writable by their owner only.
// Share modes are not enforced.

#ifdef _WIN32
#include <windows.h>
#else

#include <cstdint>

#include "platform/win32/kernel_handle.h"
#include "platform/win32/last_error.h"
#include "platform/win32/windows_types.h"

struct SECURITY_ATTRIBUTES;
struct OVERLAPPED;

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;

constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD FILE_SHARE_WRITE = 0x00000002;
constexpr DWORD FILE_SHARE_DELETE = 0x00000004;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x00000002;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x00000004;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;
constexpr DWORD FILE_FLAG_OPEN_REPARSE_POINT = 0x00200000;
constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000;

constexpr DWORD FILE_TYPE_UNKNOWN = 0x0000;
constexpr DWORD FILE_TYPE_DISK = 0x0001;
constexpr DWORD FILE_TYPE_CHAR = 0x0002;
constexpr DWORD FILE_TYPE_PIPE = 0x0003;

constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD FILE_MAP_READ = 0x0004;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
};

// Only the attributes are filled in here; the times stay 0.
union LARGE_INTEGER {
  std::int64_t QuadPart;
};
struct FILE_BASIC_INFO {
  LARGE_INTEGER CreationTime;
  LARGE_INTEGER LastAccessTime;
  LARGE_INTEGER LastWriteTime;
  LARGE_INTEGER ChangeTime;
  DWORD FileAttributes;
};
enum FILE_INFO_BY_HANDLE_CLASS { FileBasicInfo = 0 };

HANDLE CreateFileA(const char* path, DWORD access, DWORD shareMode, SECURITY_ATTRIBUTES* security,
                   DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
// Synchronous only: overlapped must be null. A read at the end reads 0 bytes
// and succeeds.
BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead,
              OVERLAPPED* overlapped);
// Writes everything or fails.
BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten,
               OVERLAPPED* overlapped);
// Ends the file at its current position.
BOOL SetEndOfFile(HANDLE file);
DWORD GetFileType(HANDLE file);
BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* information);
// FileBasicInfo only. Unlike the call above it asks nothing of the volume,
// which costs a round trip to another process under wine.
BOOL GetFileInformationByHandleEx(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* information,
                                  DWORD size);
DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
DWORD GetFileAttributesA(const char* path);

// Read-only mappings of a whole file; a mapping stays usable after its file
// handle is closed, and a view after its mapping is closed.
HANDLE CreateFileMappingA(HANDLE file, SECURITY_ATTRIBUTES* security, DWORD protect,
                          DWORD maximumSizeHigh, DWORD maximumSizeLow, const char* name);
void* MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                    std::size_t bytes);
BOOL UnmapViewOfFile(const void* view);

#endif  // _WIN32

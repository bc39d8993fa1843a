#include "platform/win32/file_api.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <string>

#include "platform/kernel/kernel_object.h"

namespace {

// Owns a descriptor and closes it with the handle.
struct DescriptorObject : KernelObject {
  explicit DescriptorObject(int descriptor) : fd(descriptor) {}
  BOOL Close() override {
    ::close(fd);
    delete this;
    return TRUE;
  }
  int fd;
};

// An open file. A link opened as itself holds an O_PATH descriptor, good for
// fstat and nothing else.
struct FileObject final : DescriptorObject {
  using DescriptorObject::DescriptorObject;
};

// A read-only mapping keeps a descriptor of its own, so that it outlives the
// file handle it was made from.
struct MappingObject final : DescriptorObject {
  MappingObject(int descriptor, std::uint64_t length)
      : DescriptorObject(descriptor), size(length) {}
  std::uint64_t size;
};

DWORD ErrorOf(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case ETXTBSY:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ERROR_DISK_FULL;
    case EROFS:
      return ERROR_WRITE_PROTECT;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ELOOP:
      return ERROR_CANT_RESOLVE_FILENAME;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_GEN_FAILURE;
  }
}

template <typename Result>
Result FailWith(int error, Result result) {
  SetLastError(ErrorOf(error));
  return result;
}

// Windows tells a missing folder on the way (ERROR_PATH_NOT_FOUND) from a
// missing last name (ERROR_FILE_NOT_FOUND); POSIX says ENOENT for both.
int MissingFolderTold(const char* path, int error) {
  if (error != ENOENT) return error;
  std::string folder(path);
  const std::size_t slash = folder.find_last_of('/');
  if (slash == std::string::npos) return error;
  folder.erase(slash == 0 ? 1 : slash);
  struct stat info {};
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? ENOENT : ENOTDIR;
}

int AccessFlags(DWORD access) {
  const bool read = (access & GENERIC_READ) != 0;
  const bool write = (access & GENERIC_WRITE) != 0;
  if (read && write) return O_RDWR;
  return write ? O_WRONLY : O_RDONLY;
}

// -1 for a disposition Windows does not know.
int DispositionFlags(DWORD disposition) {
  switch (disposition) {
    case CREATE_NEW:
      return O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
      return O_CREAT | O_TRUNC;
    case OPEN_EXISTING:
      return 0;
    case OPEN_ALWAYS:
      return O_CREAT;
    case TRUNCATE_EXISTING:
      return O_TRUNC;
    default:
      return -1;
  }
}

FileObject* FileOf(HANDLE handle) {
  FileObject* file = ObjectOf<FileObject>(handle);
  if (file == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

// The views handed out, with their lengths, which munmap needs.
struct ViewTable {
  std::mutex mutex;
  std::map<const void*, std::size_t> lengths;
};

ViewTable& Views() {
  static ViewTable table;
  return table;
}

}  // namespace

HANDLE CreateFileA(const char* path, DWORD access, DWORD, SECURITY_ATTRIBUTES*, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE) {
  const int create = DispositionFlags(disposition);
  if (path == nullptr || create < 0) return FailWith(EINVAL, INVALID_HANDLE_VALUE);
  const bool linkItself = (flagsAndAttributes & FILE_FLAG_OPEN_REPARSE_POINT) != 0;
  const int noFollow = linkItself ? O_NOFOLLOW : 0;
  // No access asked: enough to learn what the name is, as Windows allows
  // without the right to read it.
  int flags = access == 0
                  ? O_PATH | O_CLOEXEC | noFollow
                  : AccessFlags(access) | create | noFollow | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int fd = ::open(path, flags, 0600);
  if (fd < 0 && linkItself && errno == ELOOP) {
    // The last component is a link: open the link, not what it names.
    fd = ::open(path, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) return new FileObject(fd);
    errno = ELOOP;
  }
  if (fd < 0) return FailWith(MissingFolderTold(path, errno), INVALID_HANDLE_VALUE);
  struct stat info {};
  if (::fstat(fd, &info) != 0 ||
      (S_ISDIR(info.st_mode) && (flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) == 0)) {
    ::close(fd);
    return FailWith(EISDIR, INVALID_HANDLE_VALUE);
  }
  // Only the open was not to wait; reads and writes may.
  if (access != 0) {
    const int status = ::fcntl(fd, F_GETFL);
    if (status != -1) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
  }
  return new FileObject(fd);
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesRead,
              OVERLAPPED* overlapped) {
  if (bytesRead != nullptr) *bytesRead = 0;
  FileObject* file = FileOf(handle);
  if (file == nullptr) return FALSE;
  if (overlapped != nullptr) return FailWith(EINVAL, FALSE);
  ssize_t got;
  do {
    got = ::read(file->fd, buffer, bytesToRead);
  } while (got < 0 && errno == EINTR);
  if (got < 0) return FailWith(errno, FALSE);
  if (bytesRead != nullptr) *bytesRead = static_cast<DWORD>(got);
  return TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten,
               OVERLAPPED* overlapped) {
  if (bytesWritten != nullptr) *bytesWritten = 0;
  FileObject* file = FileOf(handle);
  if (file == nullptr) return FALSE;
  if (overlapped != nullptr) return FailWith(EINVAL, FALSE);
  const char* at = static_cast<const char*>(buffer);
  DWORD done = 0;
  while (done < bytesToWrite) {
    const ssize_t put = ::write(file->fd, at + done, bytesToWrite - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return FailWith(errno, FALSE);
    if (put == 0) return FailWith(ENOSPC, FALSE);
    done += static_cast<DWORD>(put);
    if (bytesWritten != nullptr) *bytesWritten = done;
  }
  return TRUE;
}

BOOL SetEndOfFile(HANDLE handle) {
  FileObject* file = FileOf(handle);
  if (file == nullptr) return FALSE;
  const off_t at = ::lseek(file->fd, 0, SEEK_CUR);
  if (at < 0 || ::ftruncate(file->fd, at) != 0) return FailWith(errno, FALSE);
  return TRUE;
}

DWORD GetFileType(HANDLE handle) {
  FileObject* file = FileOf(handle);
  struct stat info {};
  if (file == nullptr || ::fstat(file->fd, &info) != 0) return FILE_TYPE_UNKNOWN;
  if (S_ISREG(info.st_mode) || S_ISDIR(info.st_mode) || S_ISLNK(info.st_mode)) {
    return FILE_TYPE_DISK;
  }
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return FILE_TYPE_CHAR;
  if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return FILE_TYPE_PIPE;
  return FILE_TYPE_UNKNOWN;
}

BOOL GetFileInformationByHandle(HANDLE handle, BY_HANDLE_FILE_INFORMATION* information) {
  FileObject* file = FileOf(handle);
  if (file == nullptr) return FALSE;
  struct stat info {};
  if (::fstat(file->fd, &info) != 0) return FailWith(errno, FALSE);
  DWORD attributes = 0;
  if (S_ISDIR(info.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (S_ISLNK(info.st_mode)) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
  const auto size = static_cast<std::uint64_t>(info.st_size);
  const auto index = static_cast<std::uint64_t>(info.st_ino);
  *information = BY_HANDLE_FILE_INFORMATION{};
  information->dwFileAttributes = attributes;
  information->dwVolumeSerialNumber = static_cast<DWORD>(info.st_dev);
  information->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  information->nFileSizeLow = static_cast<DWORD>(size);
  information->nNumberOfLinks = static_cast<DWORD>(info.st_nlink);
  information->nFileIndexHigh = static_cast<DWORD>(index >> 32);
  information->nFileIndexLow = static_cast<DWORD>(index);
  return TRUE;
}

BOOL GetFileInformationByHandleEx(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, void* information,
                                  DWORD size) {
  if (kind != FileBasicInfo || information == nullptr || size < sizeof(FILE_BASIC_INFO)) {
    return FailWith(EINVAL, FALSE);
  }
  BY_HANDLE_FILE_INFORMATION whole{};
  if (!GetFileInformationByHandle(handle, &whole)) return FALSE;
  auto* const basic = static_cast<FILE_BASIC_INFO*>(information);
  *basic = FILE_BASIC_INFO{};
  basic->FileAttributes = whole.dwFileAttributes;
  return TRUE;
}

DWORD GetFileSize(HANDLE handle, DWORD* sizeHigh) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(handle, &information)) return INVALID_FILE_SIZE;
  if (sizeHigh != nullptr) *sizeHigh = information.nFileSizeHigh;
  // A size whose low half is all ones is told apart by a last error of 0.
  SetLastError(NO_ERROR);
  return information.nFileSizeLow;
}

DWORD GetFileAttributesA(const char* path) {
  HANDLE file = CreateFileA(path, 0, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return INVALID_FILE_ATTRIBUTES;
  BY_HANDLE_FILE_INFORMATION information{};
  const BOOL known = GetFileInformationByHandle(file, &information);
  CloseHandle(file);
  return known ? information.dwFileAttributes : INVALID_FILE_ATTRIBUTES;
}

HANDLE CreateFileMappingA(HANDLE handle, SECURITY_ATTRIBUTES*, DWORD protect, DWORD, DWORD,
                          const char*) {
  FileObject* file = FileOf(handle);
  if (file == nullptr) return nullptr;
  if (protect != PAGE_READONLY) return FailWith(EINVAL, static_cast<HANDLE>(nullptr));
  struct stat info {};
  if (::fstat(file->fd, &info) != 0) return FailWith(errno, static_cast<HANDLE>(nullptr));
  const int own = ::fcntl(file->fd, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return FailWith(errno, static_cast<HANDLE>(nullptr));
  return new MappingObject(own, static_cast<std::uint64_t>(info.st_size));
}

void* MapViewOfFile(HANDLE handle, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                    std::size_t bytes) {
  MappingObject* mapping = ObjectOf<MappingObject>(handle);
  if (mapping == nullptr) return FailWith(EBADF, static_cast<void*>(nullptr));
  const std::uint64_t offset = (static_cast<std::uint64_t>(offsetHigh) << 32) | offsetLow;
  if (access != FILE_MAP_READ || offset > mapping->size) {
    return FailWith(EINVAL, static_cast<void*>(nullptr));
  }
  const std::size_t length = bytes != 0 ? bytes : static_cast<std::size_t>(mapping->size - offset);
  void* view =
      ::mmap(nullptr, length, PROT_READ, MAP_SHARED, mapping->fd, static_cast<off_t>(offset));
  if (view == MAP_FAILED) return FailWith(errno, static_cast<void*>(nullptr));
  ViewTable& views = Views();
  std::lock_guard<std::mutex> lock(views.mutex);
  views.lengths[view] = length;
  return view;
}

BOOL UnmapViewOfFile(const void* view) {
  ViewTable& views = Views();
  std::size_t length = 0;
  {
    std::lock_guard<std::mutex> lock(views.mutex);
    auto found = views.lengths.find(view);
    if (found == views.lengths.end()) return FailWith(EINVAL, FALSE);
    length = found->second;
    views.lengths.erase(found);
  }
  ::munmap(const_cast<void*>(view), length);
  return TRUE;
}

#include "utility/regular_file.h"

#include <memory>

#include "platform/win32/utf8_path.h"

namespace {

bool IsRegularDiskFile(HANDLE file) {
  if (GetFileType(file) != FILE_TYPE_DISK) return false;
  // The basic information only: the whole record asks the volume too, which
  // under wine doubled the cost of opening a piece.
  FILE_BASIC_INFO information{};
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &information, sizeof information)) {
    return false;
  }
  constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  return (information.FileAttributes & kNotAFile) == 0;
}

}  // namespace

// FILE_FLAG_OPEN_REPARSE_POINT opens a link itself rather than what it names,
// so the test below sees the link.
CRegularFile::CRegularFile(const std::string& path, DWORD access, DWORD shareMode,
                           DWORD disposition)
    : m_handle(CreateFileUtf8(path.c_str(), access, shareMode, nullptr, disposition,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr)) {
  if (!m_handle.IsValid()) {
    const DWORD error = GetLastError();
    m_missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return;
  }
  if (!IsRegularDiskFile(m_handle.Get())) CloseHandle(m_handle.Release());
}

void ReadRegularFileBlocks(const std::string& path, std::size_t blockSize,
                           const std::function<void(const char*, std::size_t)>& consume) {
  const CRegularFile file(path, GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
  if (!file.IsOpen()) return;
  const std::unique_ptr<char[]> block(new char[blockSize]);
  DWORD got = 0;
  while (ReadFile(file.Get(), block.get(), static_cast<DWORD>(blockSize), &got, nullptr) &&
         got > 0) {
    consume(block.get(), static_cast<std::size_t>(got));
  }
}

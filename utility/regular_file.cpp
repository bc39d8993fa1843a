#include "utility/regular_file.h"

namespace {

bool IsRegularDiskFile(HANDLE file) {
  if (GetFileType(file) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information)) return false;
  constexpr DWORD kNotAFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
  return (information.dwFileAttributes & kNotAFile) == 0;
}

}  // namespace

// FILE_FLAG_OPEN_REPARSE_POINT opens a link itself rather than what it names,
// so the test below sees the link.
CRegularFile::CRegularFile(const std::string& path, DWORD access, DWORD shareMode,
                           DWORD disposition)
    : m_handle(CreateFileA(path.c_str(), access, shareMode, nullptr, disposition,
                           FILE_FLAG_OPEN_REPARSE_POINT, nullptr)) {
  if (!m_handle.IsValid()) {
    const DWORD error = GetLastError();
    m_missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return;
  }
  if (!IsRegularDiskFile(m_handle.Get())) CloseHandle(m_handle.Release());
}
